// A desktop notification: a short message in the desktop's notification area, for news
// the user should get even where the program shows none (its status bar hidden).
#pragma once

#include <string>

namespace kelvane {

// Sends the message to the desktop's notification service on the session bus without
// waiting; where there is no bus or no service, nothing happens.
void notify_desktop(const std::string& summary, const std::string& body = "");

}  // namespace kelvane
