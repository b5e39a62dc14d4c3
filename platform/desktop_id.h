// The name under which the desktop knows a program made from the template: the file
// name of its menu entry (before ".desktop") and the class of its windows, so that the
// windows group under that entry in docks and task bars.
#pragma once

#include <string>

namespace kelvane {

// Made from the program's file name alone, so that a program and its entry agree and
// two file names never share one: letters, digits and '-' stay, every other byte is
// written as '_' and two hex digits. A name that would make too long a file name is
// shortened and told apart by a hash of the whole.
std::string desktop_id(const std::string& file_name);

// Makes `id` the class of the windows this program opens from now on. Call after GTK
// has started and before the first window is shown.
void set_window_class(const std::string& id);

}  // namespace kelvane
