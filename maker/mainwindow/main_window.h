// The maker's main window Form1: the settings of the browser being made, and a live
// preview of its top bar and web view.
#pragma once

#include <gtkmm/button.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/entry.h>
#include <gtkmm/label.h>

#include <memory>
#include <vector>

#include "browserwindow/layout.h"
#include "browserwindow/media_player.h"
#include "browserwindow/web_view.h"
#include "maker/designer/designer.h"
#include "platform/common_dialog.h"
#include "platform/form.h"
#include "platform/image_control.h"
#include "platform/mouse.h"
#include "platform/panel.h"
#include "platform/timer.h"

namespace kelvane {

class Forms;

class MainWindow : public Form {
public:
    explicit MainWindow(Forms& forms);

    static constexpr const char* kCaption = "Kelvane V 5.2";
    static constexpr const char* kNoColour = "Programs Color";
    static constexpr const char* kSongPreviewMessage =
        "Your Created program will now play the song / radio stream u inputted you will now hear a preview of ur "
        "song if u dont hear anything after several seconds please make sure the url is correct the song will stop "
        "playing by its self after a few seconds";
    static constexpr int kSongPreviewEnd = 180;  // the counter value that ends a preview

    // The preview control that shows a control of the browser being made.
    Gtk::Widget& preview_control(Control control);

    void Form_Load();
    void Form_Unload();

    // Settings panel.
    Panel Frame2;
    Gtk::Entry Text2, Text3, Text4, Text5, Text6, Text7, Text8, txtExeFile;
    Gtk::Button Command2, Command5, Command6, Command7, Command8;
    Gtk::Label Label1;
    Gtk::CheckButton Check1;

    // Live preview.
    Panel Frame1;
    Gtk::Entry Text1;
    Gtk::Button Command1, Command3, Command4;
    WebView WebBrowser1;
    Panel Frame3;  // background preview, over the live preview
    Gtk::Label Label2;
    ImageControl Image2{true};
    Gtk::Button Command9;
    Module2 designer{Frame1.area()};  // with its sizing handles

    // Held values and background work.
    ImageControl Image1;  // the chosen icon, never shown
    CommonDialog CommonDialog1{this}, CommonDialog2{this};
    MediaPlayer WindowsMediaPlayer1;
    Timer Timer3{100};  // song preview
    Glib::ustring Text9 = "1";  // song preview tick counter
    Timer Timer4{100};  // title clock

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();  // icon chooser
    void Command6_Click();  // colour chooser
    void Command7_Click();  // contact
    void Command8_Click();  // background chooser
    void Command9_Click();
    void Check1_Click();    // song preview
    void Timer3_Timer();
    void Timer4_Timer();

    // The designer's mouse bindings. The four selectable preview controls share one
    // behaviour, and so do the two panels.
    void Control_MouseDown(Control control, int button);
    void Frame_MouseDown(int button);
    void Form_MouseDown(int button);
    void handle_MouseDown(int index, int button, int shift, float x, float y);
    void handle_MouseMove(int index, int button, int shift, float x, float y);
    // Writes a preview control's Width, Height, Top and Left into its position fields.
    void copy_geometry(Control control);

private:
    void lay_out_settings();
    void lay_out_preview();
    void bind_designer();
    void arrange_side_by_side();

    Forms& forms_;
};

}  // namespace kelvane
