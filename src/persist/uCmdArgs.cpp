#include "persist/uCmdArgs.h"

#include <filesystem>

#include "persist/uFileHandling.h"

namespace tessaro {

namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool BeginsNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (LowerAscii(text[i]) != LowerAscii(prefix[i])) return false;
  return true;
}

template <class F, class... A>
void Run(const F& f, A&&... a) {
  if (f) f(std::forward<A>(a)...);
}

std::string WorkingDirectory(const TCmdActions& actions) {
  if (actions.WorkingDirectory) return actions.WorkingDirectory();
  std::error_code ec;
  return std::filesystem::current_path(ec).string();
}

}  // namespace

bool HasParam(const std::vector<std::string>& args, std::string_view option) {
  for (const std::string& a : args)
    if (BeginsNoCase(a, option)) return true;
  return false;
}

void EvaluateCommandLine(const std::vector<std::string>& args, const TCmdActions& actions) {
  if (args.empty()) return;
  // Each independently; with several languages the last of this order wins.
  if (HasParam(args, "-lang=de")) Run(actions.SetLanguage, std::string("de"));
  if (HasParam(args, "-lang=en")) Run(actions.SetLanguage, std::string("en"));
  if (HasParam(args, "-lang=zh")) Run(actions.SetLanguage, std::string("zh"));
  if (HasParam(args, "-fullscreen")) Run(actions.EnterFullScreen);
  if (HasParam(args, "-fullwindow")) Run(actions.EnterFullWindow);

  const std::string& first = args.front();
  // A project file counts only as the first argument, and only then do the run and
  // connect options act.
  if (first.starts_with("-")) return;
  if (first.ends_with(".tess")) {
    Run(actions.NewProject);
    std::string dir = ExtractPath(first);
    if (!dir.empty()) {
      SetProjectFile(first);
      SetProjectPath(dir);
    } else {
      std::string cwd = WorkingDirectory(actions);
      if (cwd.empty() || cwd.back() != '/') cwd += '/';
      SetProjectFile(cwd + first);
      SetProjectPath(cwd);
    }
    Run(actions.ShowLoadingCover, true);
    bool ok = actions.LoadProject && actions.LoadProject();
    if (!ok) Run(actions.ShowMessage, std::string(OpenErrorText) + "\"" + ProjectFile() + "\"");
    Run(actions.ShowLoadingCover, false);
    Run(actions.SetMode, 1);
    Run(actions.SelectFirstSheet);
    Run(actions.UpdateTitle);
  }
  if (HasParam(args, "-runmode")) Run(actions.SetMode, 0);
  if (HasParam(args, "-connect")) {
    Run(actions.SetMode, 0);
    Run(actions.Connect);
  }
}

}  // namespace tessaro
