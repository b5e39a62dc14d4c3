#include "maker/dialogs/position_dialog.h"

#include "browserwindow/layout.h"
#include "common/conversions.h"
#include "maker/dialog_font.h"
#include "maker/dialogs/field_column.h"
#include "maker/forms.h"
#include "maker/mainwindow/main_window.h"
#include "platform/caption.h"

namespace kelvane {
namespace {

constexpr const char* kMoreOptions = "More Options";
constexpr const char* kBack = "back";

// The label above field Text n.
constexpr std::array<const char*, 20> kLabels{
    "Main url textbox Height", "Main url textbox position top", "Main url textbox position left",
    "Main url textbox Width",  "Browse Button Width",           "Browse Button Height",
    "Browse Button top",       "Browse Button Left",            "Back Button Width",
    "Back Button Height",      "Back Button top",               "Back Button Left",
    "Refresh Button Width",    "Refresh Button Height",         "Refresh Button top",
    "Refresh Button Left",     "Webrowser Width",               "Webrowser Height",
    "Webrowser top",           "Webrowser Left"};

}  // namespace

PositionDialog::PositionDialog(Forms& forms) : Form(2010, 9135), forms_(forms) {
    set_title("Positions");
    use_dialog_font(*this);
    set_border_style(vbFixedSingle);
    // The fields stand in the layout's order, ten on each page.
    for (std::size_t k = 0; k < kLayoutFields.size(); ++k) {
        const LayoutField& field = kLayoutFields[k];
        const int n = field.field;
        Placement& page = k < 10 ? client() : Frame1.area();
        put_field(page, static_cast<int>(k % 10), labels_[n - 1], kLabels[n - 1], Text(n),
                  number_to_text(field.design), k == 0 ? 1695 : 1815);
        Text(n).signal_changed().connect(sigc::bind(sigc::mem_fun(*this, &PositionDialog::Text_Change), n));
    }
    Frame1.area().show_all();
    client().put(Frame1, {0, 0, 2055, 8535});
    set_caption(Command1, kMoreOptions);
    wrap_caption(Command1);
    client().put(Command1, {120, 8640, 1815, 375});
    client().show_all();
    Frame1.hide();

    Command1.signal_clicked().connect(sigc::mem_fun(*this, &PositionDialog::Command1_Click));
    signal_delete_event().connect([this](GdkEventAny*) {
        forms_.Unload(FormId::Form2);
        return true;
    });
}

void PositionDialog::Text_Change(int n) {
    // A text that is not a number, or a size the control refuses, changes nothing; the
    // field keeps what was typed.
    auto twips = to_number(Value(Text(n).get_text().raw()));
    if (!twips) return;
    for (const LayoutField& field : kLayoutFields) {
        if (field.field != n) continue;
        MainWindow& main = forms_.Form1();
        main.Frame1.area().set(main.preview_control(field.control), field.edge, *twips);
    }
}

void PositionDialog::Command1_Click() {
    const Glib::ustring page = caption(Command1);
    if (page == kMoreOptions) {
        Frame1.show();
        set_caption(Command1, kBack);
    } else if (page == kBack) {
        Frame1.hide();
        set_caption(Command1, kMoreOptions);
    }
}

void PositionDialog::Form_Unload() {
    forms_.Unload(FormId::Form1);
    forms_.Unload(FormId::Form3);
    forms_.Unload(FormId::frmMain);
}

}  // namespace kelvane
