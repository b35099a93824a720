// Which of the sample disc's two installers a stand-in build plays: the name the menu starts it
// by, and what a real disc would install in its place.
#pragma once

struct StandInRole {
  const char* disc_name;  // as the menu's page tables name it
  const char* caption;
  const char* message;
};

// One role per executable, chosen when it is built (LUMARC_STAND_IN_READER set or not).
const StandInRole& ThisStandIn();
