// Building the menu: which layout fits the desktop, the application and its four pages for that
// layout, the run and the teardown.
#pragma once

#include <windows.h>

class MenuPage;

// The layout follows the desktop as measured at the moment of the call: the entry builds the
// menu with it, and each rebuild of the help page measures again.
void BuildLayoutForDesktop(HINSTANCE instance, HINSTANCE previous_instance);
void BuildHelpPageForDesktop(MenuPage& page);

// Each builds the application and its pages, runs it until it quits, and destroys everything.
void BuildLargeLayout(HINSTANCE instance, HINSTANCE previous_instance);
void BuildSmallLayout(HINSTANCE instance, HINSTANCE previous_instance);

// Fill a cleared page as the help page of the layout: the Restore picture and caption while the
// backup marker can be opened, else the Help ones. Also used to rebuild the page in place.
void BuildHelpPageLarge(MenuPage& page);
void BuildHelpPageSmall(MenuPage& page);
