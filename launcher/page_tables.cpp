#include "page_tables.h"

namespace {

using enum ActionCode;

constexpr char kWelcome[] = "Welcome to TAVO setup";
constexpr char kFarewell[] = "YOU'VE MADE THE BRIVANT CHOICE";
constexpr char kHelp[] = "Help";
constexpr char kRestore[] = "Restore";
constexpr char kReaderInstaller[] = "acrobat\\ar40eng.exe";
constexpr char kSetup[] = "setup.exe";
constexpr char kManual[] = "manual.pdf";
// The page GoToPage returns to from the help page.
constexpr std::int32_t kInstallPage = 1;

constexpr RegionSpec kLargeWelcomeRegions[] = {
    {300, 524, 70, 60, RunProgramThenNext, 0, kReaderInstaller},
    {425, 524, 70, 60, NextPage, 0, ""},
};
constexpr RegionSpec kLargeInstallRegions[] = {
    {94, 523, 115, 60, RunCommandLine, 0, kSetup},
    {277, 523, 230, 60, OpenDocument, 0, kManual},
    {560, 523, 60, 60, GoToPage, kHelpPageIndex, ""},
    {662, 523, 60, 60, NextPage, 0, ""},
};
constexpr RegionSpec kLargeFarewellRegions[] = {
    {689, 529, 60, 50, Quit, 0, ""},
};
constexpr RegionSpec kLargeHelpRegions[] = {
    {35, 526, 100, 100, ExploreStartDirectory, 0, ""},
    {692, 526, 70, 60, GoToPage, kInstallPage, ""},
};

constexpr RegionSpec kSmallWelcomeRegions[] = {
    {235, 417, 55, 45, RunProgramThenNext, 0, kReaderInstaller},
    {342, 417, 55, 45, NextPage, 0, ""},
};
constexpr RegionSpec kSmallInstallRegions[] = {
    {73, 420, 90, 45, RunCommandLine, 0, kSetup},
    {221, 420, 185, 45, OpenDocument, 0, kManual},
    {449, 420, 50, 45, GoToPage, kHelpPageIndex, ""},
    {525, 420, 50, 45, NextPage, 0, ""},
};
constexpr RegionSpec kSmallFarewellRegions[] = {
    {553, 420, 40, 40, Quit, 0, ""},
};
constexpr RegionSpec kSmallHelpRegions[] = {
    {24, 420, 100, 100, ExploreStartDirectory, 0, ""},
    {552, 420, 45, 45, GoToPage, kInstallPage, ""},
};

}  // namespace

const LayoutSpec kLargeLayout = {
    800,
    600,
    {{
        {{"brivant\\1.dat", 27642}, kWelcome, kLargeWelcomeRegions},
        {{"brivant\\2.dat", 25800}, kWelcome, kLargeInstallRegions},
        {{"brivant\\3.dat", 30504}, kFarewell, kLargeFarewellRegions},
    }},
    {
        {{"brivant\\4.dat", 29706}, kHelp, kLargeHelpRegions},
        {{"brivant\\5.dat", 26456}, kRestore, kLargeHelpRegions},
    },
};

const LayoutSpec kSmallLayout = {
    640,
    480,
    {{
        {{"brivant\\1l.dat", 27788}, kWelcome, kSmallWelcomeRegions},
        {{"brivant\\2l.dat", 29816}, kWelcome, kSmallInstallRegions},
        {{"brivant\\3l.dat", 25480}, kFarewell, kSmallFarewellRegions},
    }},
    {
        {{"brivant\\4l.dat", 25512}, kHelp, kSmallHelpRegions},
        {{"brivant\\5l.dat", 27242}, kRestore, kSmallHelpRegions},
    },
};
