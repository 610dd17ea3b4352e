#pragma once
// The main window's start-up: the web box or the offline tip, the skin, the category
// bar and page controls, the favorites, the settings, then page 1 of the common list.
// Also the web box's page-loaded handler with the advert tip.

#include "program/program.h"

// The main window's creation-finished event. Stops before the first category is shown
// when the settings table cannot be read.
void MainWindowCreated(Program& program);

// 超文本浏览框1 page loaded (only ever told of a whole page from the advert host):
// online, the web box shows and the advert tip pops.
void WebBoxPageLoaded(Program& program);

// A link clicked in 超文本浏览框1 opens in the user's browser; the box keeps its page.
void WebBoxLinkClicked(Program& program, Text address);
