#include "region_actions.h"

#include "launch_actions.h"
#include "launcher_app.h"

bool CarryOutAction(LauncherApp& app, ActionCode action, std::int32_t parameter,
                    const std::string& command) {
  switch (action) {
    case ActionCode::NextPage:
      app.NextPage();
      return false;
    case ActionCode::OpenDocument:
      OpenDocument(app, command);
      return true;
    case ActionCode::Quit:
      app.Quit();
      return false;
    case ActionCode::GoToPage:
      app.GoToPage(parameter);
      return false;
    case ActionCode::BackUpStartupFiles:
      app.BackUpStartupFiles();
      return true;
    case ActionCode::RestoreStartupFiles:
      app.RestoreStartupFiles();
      return true;
    case ActionCode::RunCommandLine:
      RunCommandLine(app, command);
      return true;
    case ActionCode::RunProgramThenNext:
      RunProgramThenNext(app, command);
      return true;
    case ActionCode::ExploreStartDirectory:
      ExploreStartDirectory(app);
      return false;
  }
  return false;
}
