// What assistive technologies learn of the maker's windows through the toolkit's accessible
// objects: every control that takes the focus has a name, each field the caption that stands
// for it, and the start menu's picture buttons are buttons that can be pressed.
#include <atk/atk.h>

#include "maker/dialogs/position_dialog.h"
#include "maker/dialogs/start_menu.h"
#include "maker/dialogs/window_dialog.h"
#include "maker/mainwindow/main_window.h"
#include "maker/preview/preview_window.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/widgets.h"

namespace kelvane::test {
namespace {

const char* name_of(Gtk::Widget& widget) { return atk_object_get_name(widget.get_accessible()->gobj()); }

class Accessibility : public MakerFixture {};

TEST_F(Accessibility, EveryControlThatTakesTheFocusHasAName) {
    MainWindow& main = forms.Form1();
    main.Text5.set_text("255");
    main.Check1.set_active(true);  // the full preview with its media player
    forms.Form3().Command2_Click();
    const std::function<void()> states[] = {[] {}, [&] { main.Frame3.show(); }, [&] { forms.Form2().Command1_Click(); },
                                            [&] { forms.frmSplash().Label2_Click(); }};
    for (const auto& change : states) {
        change();
        for (Gtk::Window* window : std::initializer_list<Gtk::Window*>{&forms.frmSplash(), &main, &forms.Form2(),
                                                                       &forms.Form3(), &forms.frmMain()}) {
            ASSERT_TRUE(show_and_wait_drawn(*window));
            std::vector<std::string> unnamed;
            for_each_widget(GTK_WIDGET(window->gobj()), [&](GtkWidget* w) {
                const char* name = atk_object_get_name(gtk_widget_get_accessible(w));
                if (gtk_widget_get_can_focus(w) && gtk_widget_is_drawable(w) && !(name && *name))
                    unnamed.push_back(G_OBJECT_TYPE_NAME(w));
            });
            EXPECT_TRUE(unnamed.empty()) << window->get_title() << ": " << testing::PrintToString(unnamed);
        }
    }
}

TEST_F(Accessibility, FieldsAreNamedByTheirCaptions) {
    for (Placement* page : {&forms.Form2().client(), &forms.Form2().Frame1.area(), &forms.Form3().client()}) {
        for (Gtk::Widget* field : page->get_children()) {
            if (!dynamic_cast<Gtk::Entry*>(field)) continue;
            AtkRelationSet* relations = atk_object_ref_relation_set(field->get_accessible()->gobj());
            AtkRelation* by = atk_relation_set_get_relation_by_type(relations, ATK_RELATION_LABELLED_BY);
            ASSERT_TRUE(by && by->target->len == 1) << name_of(*field);
            Gtk::Widget* label = Glib::wrap(gtk_accessible_get_widget(GTK_ACCESSIBLE(g_ptr_array_index(by->target, 0))));
            EXPECT_STREQ(name_of(*field), dynamic_cast<Gtk::Label&>(*label).get_text().c_str());
            // That label is the one that stands right above the field.
            EXPECT_EQ(page->rect(*label)->top + page->rect(*label)->height, page->rect(*field)->top) << name_of(*field);
            g_object_unref(relations);
        }
    }
    MainWindow& main = forms.Form1();
    main.Text2.set_text("typed over");
    EXPECT_STREQ(name_of(main.Text2), "Program Name");
    StartMenu& menu = forms.frmSplash();
    ASSERT_TRUE(show_and_wait_drawn(menu));
    EXPECT_EQ(atk_object_get_role(menu.Label1.get_accessible()->gobj()), ATK_ROLE_PUSH_BUTTON);
    EXPECT_STREQ(name_of(menu.Label1), "Create a browser");
    ASSERT_TRUE(atk_action_do_action(ATK_ACTION(menu.Label2.get_accessible()->gobj()), 0));
    EXPECT_TRUE(pump_until([&] { return menu.Frame1.get_visible(); }));
}

}  // namespace
}  // namespace kelvane::test
