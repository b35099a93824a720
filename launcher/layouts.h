// Building the menu for one layout: the application, its four pages, the run and the teardown.
#pragma once

#include <windows.h>

class MenuPage;

// Each builds the application and its pages, runs it until it quits, and destroys everything.
void BuildLargeLayout(HINSTANCE instance, HINSTANCE previous_instance);
void BuildSmallLayout(HINSTANCE instance, HINSTANCE previous_instance);

// Fill a cleared page as the help page of the layout: the Restore picture and caption while the
// backup marker can be opened, else the Help ones. Also used to rebuild the page in place.
void BuildHelpPageLarge(MenuPage& page);
void BuildHelpPageSmall(MenuPage& page);
