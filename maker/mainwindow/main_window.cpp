#include "maker/mainwindow/main_window.h"

#include <atkmm/object.h>
#include <glibmm/convert.h>

#include <algorithm>
#include <ctime>

#include "browserwindow/browser_window.h"
#include "maker/compiler/compiler.h"
#include "maker/dialogs/position_dialog.h"
#include "maker/dialogs/window_dialog.h"
#include "maker/forms.h"
#include "maker/artwork.h"
#include "maker/dialog_font.h"
#include "platform/caption.h"
#include "platform/colors.h"
#include "platform/picture.h"
#include "platform/twips.h"
#include "common/conversions.h"
#include "platform/message_box.h"
#include "platform/mouse.h"
#include "platform/notification.h"

namespace kelvane {
namespace {

constexpr std::int32_t kBackColor = 0x00DBDBDF;
constexpr float kRows[] = {240, 720, 1200, 1680};
constexpr float kColumns[] = {120, 2040, 4080, 6480};
constexpr const char* kPlaceholderSong = "http://www.example.com/song.mp3";
constexpr const char* kPreviewHome = "www.duckduckgo.com";

TwipsRect cell(int row, int column, float width = 1815, float height = 375) {
    return {kColumns[column - 1], kRows[row - 1], width, height};
}

// A control without a window of its own (a label) lets presses through to its panel's
// window; a press over one is still not a press on the panel's empty area.
bool on_empty_area(Panel& panel, const GdkEventButton* e) {
    if (e->window != panel.get_window()->gobj()) return false;
    for (const Gtk::Widget* child : panel.area().get_children()) {
        const Gtk::Allocation a = child->get_allocation();
        if (child->get_mapped() && e->x >= a.get_x() && e->x < a.get_x() + a.get_width() && e->y >= a.get_y() &&
            e->y < a.get_y() + a.get_height())
            return false;
    }
    return true;
}

}  // namespace

MainWindow::MainWindow(Forms& forms) : Form(8910, 9345), forms_(forms) {
    set_title(kCaption);
    use_dialog_font(*this);
    set_border_style(vbFixedSingle);
    set_back_color(kBackColor);
    set_picture(banner_picture());
    set_icon(maker_icon());
    lay_out_settings();
    lay_out_preview();
    bind_designer();
    Timer3.signal_Timer().connect(sigc::mem_fun(*this, &MainWindow::Timer3_Timer));
    Timer4.signal_Timer().connect(sigc::mem_fun(*this, &MainWindow::Timer4_Timer));
    signal_delete_event().connect([this](GdkEventAny*) {
        forms_.Unload(FormId::Form1);
        return true;
    });
}

void MainWindow::lay_out_settings() {
    struct Field {
        Gtk::Entry& entry;
        const char* text;
        const char* tip;
        TwipsRect rect;
    };
    const Field fields[] = {
        {Text2, "Program Name", "Enter Programs Name Here", cell(1, 1)},
        {Text4, "Home Page Url", "Change the default website which the browser shows", cell(1, 2)},
        {txtExeFile, "programname.exe", "The Name of the .exe file", cell(1, 4, 2175, 315)},
        {Text3, "Browse Button Name", "Name of the go / browse Button", cell(2, 1)},
        {Text5, kNoColour, "Change Your Programs Background Color", cell(2, 2)},
        {Text6, "Back Button Name", "Name of the Back button", cell(3, 1)},
        {Text7, "Refresh Button Name", "Name of the Refresh button", cell(3, 2)},
        {Text8, kPlaceholderSong, "Url for the song playing in ur webbrowser if enabled", cell(4, 1, 3735)},
    };
    struct Command {
        Gtk::Button& button;
        const char* caption;
        const char* tip;
        TwipsRect rect;
        void (MainWindow::*click)();
    };
    const Command commands[] = {
        {Command6, "Color Chooser", "Allows you to pick from a wide variety of colors for your program!",
         cell(1, 3, 2295), &MainWindow::Command6_Click},
        {Command5, "Icon Chooser", "Change Programs Icon", cell(2, 3, 2295), &MainWindow::Command5_Click},
        {Command8, "Background Chooser", "Choose a background picture for your program", cell(3, 3, 2295),
         &MainWindow::Command8_Click},
        {Command2, "Compile Program", "Compile Your webbrowser", cell(3, 4, 2175), &MainWindow::Command2_Click},
        {Command7, "Contact Me", "Contact Me", cell(4, 3, 2295), &MainWindow::Command7_Click},
    };
    Placement& area = Frame2.area();
    for (const Field& f : fields) {
        f.entry.set_text(f.text);
        // The starting text stands for a caption, and names the field once overwritten.
        f.entry.get_accessible()->set_name(f.text);
        f.entry.set_tooltip_text(f.tip);
        f.entry.set_width_chars(1);
        area.put(f.entry, f.rect);
    }
    for (const Command& c : commands) {
        set_caption(c.button, c.caption);
        wrap_caption(c.button);
        c.button.set_tooltip_text(c.tip);
        kelvane::set_back_color(c.button, kBackColor);
        area.put(c.button, c.rect);
        c.button.signal_clicked().connect(sigc::mem_fun(*this, c.click));
    }
    Label1.set_text("Color Preview");
    Label1.set_tooltip_text("Preview of chosen color");
    area.put(Label1, cell(2, 4, 2175));
    set_caption(Check1, "Enable .mp3 in program");
    wrap_caption(Check1);
    Check1.set_tooltip_text(
        "Will add a media player to your webbrowser u can customize the song to play on the left hand side");
    area.put(Check1, cell(4, 4, 2175));
    area.show_all();
    client().put(Frame2, {120, 1800, 8775, 2175});
    Frame2.show();

    Check1.signal_clicked().connect(sigc::mem_fun(*this, &MainWindow::Check1_Click));
    // Captions and the home page follow their fields at every keystroke.
    Text3.signal_changed().connect([this] { set_caption(Command1, Text3.get_text()); });
    Text6.signal_changed().connect([this] { set_caption(Command3, Text6.get_text()); });
    Text7.signal_changed().connect([this] { set_caption(Command4, Text7.get_text()); });
    Text4.signal_changed().connect([this] { Text1.set_text(Text4.get_text()); });
}

void MainWindow::lay_out_preview() {
    Placement& area = Frame1.area();
    Text1.set_text(kPreviewHome);
    Text1.set_width_chars(1);
    Text1.get_accessible()->set_name(BrowserWindow::kAddressName);
    set_caption(Command1, "Browse");
    set_caption(Command3, "Back");
    set_caption(Command4, "Refresh");
    for (Control c : {Control::Text1, Control::Command1, Control::Command2, Control::Command3, Control::WebBrowser1})
        area.put(preview_control(c), design_rect(c));

    Label2.set_text("Your Programs Background preview [ not actual size ]");
    Image2.set_tooltip_text("Preview");
    wrap_caption(Label2);
    set_caption(Command9, "Go Back");
    wrap_caption(Command9);
    Command9.set_tooltip_text("Go Back");
    Frame3.area().put(Label2, {1800, 240, 5655, 375});
    Frame3.area().put(Image2, {120, 720, 8535, 3615});
    Frame3.area().put(Command9, {3240, 4800, 2295, 375});
    Frame3.area().show_all();
    area.put(Frame3, {0, 0, 8775, 5295});
    area.show_all();
    Frame3.hide();
    client().put(Frame1, {120, 3960, 8775, 5295});
    Frame1.show();

    Command1.signal_clicked().connect(sigc::mem_fun(*this, &MainWindow::Command1_Click));
    // The preview has no status bar: where a download went is told by the desktop.
    WebBrowser1.signal_download().connect([](const Glib::ustring& text, bool done) { if (done) notify_desktop(text); });
    Command3.signal_clicked().connect(sigc::mem_fun(*this, &MainWindow::Command3_Click));
    Command4.signal_clicked().connect(sigc::mem_fun(*this, &MainWindow::Command4_Click));
    Command9.signal_clicked().connect(sigc::mem_fun(*this, &MainWindow::Command9_Click));
}

Gtk::Widget& MainWindow::preview_control(Control control) {
    switch (control) {
    case Control::Text1: return Text1;
    case Control::Command1: return Command1;
    case Control::Command2: return Command3;  // the preview's back button
    case Control::Command3: return Command4;  // the preview's refresh button
    case Control::WebBrowser1: break;
    }
    return WebBrowser1.widget();
}

void MainWindow::bind_designer() {
    designer.raise_handles();
    designer.signal_handle_MouseDown().connect(sigc::mem_fun(*this, &MainWindow::handle_MouseDown));
    designer.signal_handle_MouseMove().connect(sigc::mem_fun(*this, &MainWindow::handle_MouseMove));
    const std::pair<Gtk::Widget*, Control> selectable[] = {
        {&Text1, Control::Text1}, {&Command1, Control::Command1}, {&Command3, Control::Command2}, {&Command4, Control::Command3}};
    for (auto [widget, control] : selectable) {
        // Before the control's own handling, which goes on: a left press still clicks.
        widget->signal_button_press_event().connect(
            [this, control = control](GdkEventButton* e) {
                if (e->type == GDK_BUTTON_PRESS) Control_MouseDown(control, pressed_button(e));
                return false;
            },
            false);
    }
    // Presses on the empty area of a panel, or of the window itself.
    for (Panel* panel : {&Frame1, &Frame2})
        panel->signal_button_press_event().connect([this, panel](GdkEventButton* e) {
            if (e->type == GDK_BUTTON_PRESS && on_empty_area(*panel, e)) Frame_MouseDown(pressed_button(e));
            return false;
        });
    add_events(Gdk::BUTTON_PRESS_MASK);
    signal_button_press_event().connect([this](GdkEventButton* e) {
        if (e->type == GDK_BUTTON_PRESS && e->window == get_window()->gobj()) Form_MouseDown(pressed_button(e));
        return false;
    });
}

void MainWindow::Control_MouseDown(Control control, int button) {
    if (button == vbRightButton) designer.SelectControl(preview_control(control));
    if (button == vbLeftButton) designer.HideHandles();
    copy_geometry(control);
}

void MainWindow::Frame_MouseDown(int button) {
    if (button == vbLeftButton) designer.HideHandles();
    for (Control c : {Control::Command1, Control::Command2, Control::Command3, Control::Text1}) copy_geometry(c);
}

void MainWindow::Form_MouseDown(int button) {
    if (button == vbLeftButton) designer.HideHandles();
}

void MainWindow::handle_MouseDown(int, int, int, float x, float y) { designer.GrabHandle(x, y); }

void MainWindow::handle_MouseMove(int index, int button, int shift, float x, float y) {
    designer.DragHandle(index, button, shift, x, y);
}

void MainWindow::copy_geometry(Control control) {
    const auto rect = Frame1.area().rect(preview_control(control));
    if (!rect) return;
    // In the layout's order for the control: width, height, top, left.
    for (const LayoutField& field : kLayoutFields) {
        if (field.control != control) continue;
        const float value = field.edge == Edge::Width    ? rect->width
                            : field.edge == Edge::Height ? rect->height
                            : field.edge == Edge::Top    ? rect->top
                                                         : rect->left;
        forms_.Form2().Text(field.field).set_text(number_to_text(value));
    }
}

void MainWindow::Form_Load() {
    arrange_side_by_side();
    forms_.Form2().show();
    forms_.Form3().show();
    WebBrowser1.Navigate(Text1.get_text());
}

void MainWindow::arrange_side_by_side() {
    // The three windows are used together: the main window with its two dialogs to the
    // right of it, the row centred on the screen.
    auto screen = get_screen();
    if (!screen) return;
    constexpr int kGap = 16;
    Form* row[] = {this, &forms_.Form2(), &forms_.Form3()};
    int total = 2 * kGap;
    for (Form* f : row) total += twips_to_pixels(f->width());
    int left = std::max(0, (screen->get_width() - total) / 2);
    const int top = std::max(0, (screen->get_height() - twips_to_pixels(height())) / 2);
    for (Form* f : row) {
        f->move(left, top);
        left += twips_to_pixels(f->width()) + kGap;
    }
}

void MainWindow::Form_Unload() {
    forms_.Unload(FormId::Form2);
    forms_.Unload(FormId::Form3);
    forms_.Unload(FormId::frmMain);
}

void MainWindow::Command1_Click() { WebBrowser1.Navigate(Text1.get_text()); }

void MainWindow::Command2_Click() {
    // Byte for byte: ustring's == folds look-alike characters together.
    if (Text5.get_text().raw() == kNoColour) {
        MsgBox("Please select a program color", vbOKOnly, {}, this);
        return;
    }
    const CompileResult result = compile_program(gather_settings(forms_), forms_.folder(), txtExeFile.get_text());
    if (result.declined) return;  // the user answered the question; nothing more to say
    if (result.error.empty())
        MsgBox("Program Created and can be Found Here " + forms_.folder().string(), vbInformation, "Kelvane", this);
    else
        MsgBox("There was an error during compilation\r\n\r\n" + result.error, vbCritical, "Error", this);
}

void MainWindow::Command3_Click() { WebBrowser1.GoBack(); }

void MainWindow::Command4_Click() { WebBrowser1.Refresh(); }

void MainWindow::Command5_Click() {
    CommonDialog1.CancelError = true;
    if (!CommonDialog1.ShowOpen()) return;
    const Picture picture = load_picture_file(CommonDialog1.FileName);
    if (picture.empty() || !Image1.set_Picture(picture)) return;
    set_icon(Image1.pixbuf());
    MsgBox("A preview of your icon has been added to this program and can be seen beside the title", vbOKOnly, {}, this);
}

void MainWindow::Command6_Click() {
    // A cancelled dialog leaves its last colour, black the first time, and that is taken.
    CommonDialog1.ShowColor();
    Text5.set_text(std::to_string(CommonDialog1.Color));
    kelvane::set_back_color(Label1, CommonDialog1.Color);
}

void MainWindow::Command7_Click() {
    MsgBox("Kelvane is made by a small team who would love to hear from you. "
           "E-mail: hello@kelvane.example   Matrix: @kelvane:kelvane.example",
           vbOKOnly, {}, this);
}

void MainWindow::Command8_Click() {
    CommonDialog2.CancelError = true;
    if (!CommonDialog2.ShowOpen()) return;
    const Picture picture = load_picture_file(CommonDialog2.FileName);
    if (picture.empty() || !Image2.set_Picture(picture)) return;
    Frame3.show();
    // Showing the panel brought its window to the front; the handles belong before it.
    designer.raise_handles();
}

void MainWindow::Command9_Click() { Frame3.hide(); }

void MainWindow::Check1_Click() {
    // Checking or unchecking, a click plays the address for a while.
    MsgBox(kSongPreviewMessage, vbOKOnly, {}, this);
    Text9 = "1";
    WindowsMediaPlayer1.set_URL(Text8.get_text());
    Timer3.set_Enabled(true);
}

void MainWindow::Timer3_Timer() {
    const auto count = to_code(Value(Text9.raw()));
    if (!count) return;
    Text9 = std::to_string(*count + 1);
    if (Text9 == std::to_string(kSongPreviewEnd)) {
        Timer3.set_Enabled(false);
        WindowsMediaPlayer1.set_URL("");
    }
}

void MainWindow::Timer4_Timer() {
    char time[64] = {};
    const std::time_t now = std::time(nullptr);
    std::strftime(time, sizeof time, "%X", std::localtime(&now));
    set_title(Glib::ustring("Kelvane V 5.0 - The time is ") + Glib::locale_to_utf8(time));
}

}  // namespace kelvane
