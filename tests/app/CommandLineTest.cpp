// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/BuildInfo.h"

namespace gw::app {
namespace {

CommandLineAnswer Read(std::vector<std::string_view> args) { return ReadCommandLine(args); }

TEST(CommandLine, WithoutArgumentsTheGameRunsAndNothingIsPrinted) {
  const CommandLineAnswer a = Read({});
  EXPECT_TRUE(a.runGame);
  EXPECT_EQ(a.out, "");
  EXPECT_EQ(a.err, "");
}

TEST(CommandLine, HelpAndVersionAnswerOnStdoutAndEndTheProgram) {
  for (std::string_view flag : {"--help", "-h"}) {
    const CommandLineAnswer a = Read({flag});
    EXPECT_FALSE(a.runGame) << flag;
    EXPECT_EQ(a.exitCode, 0) << flag;
    EXPECT_TRUE(a.out.starts_with("Usage: gromwumbler [OPTION]\n")) << a.out;
    EXPECT_NE(a.out.find("--version"), std::string::npos) << a.out;
    EXPECT_NE(a.out.find("--watch FILE"), std::string::npos) << a.out;
    // Every file the game reads or writes beside its own.
    for (const char* file : {"$XDG_DATA_HOME/GromWumbler", "Play.url", "Config.cfg.damaged", "Config.cfg.saved"}) {
      EXPECT_NE(a.out.find(file), std::string::npos) << file;
    }
    EXPECT_EQ(a.err, "");
  }
  for (std::string_view flag : {"--version", "-v"}) {
    const CommandLineAnswer a = Read({flag});
    EXPECT_FALSE(a.runGame) << flag;
    EXPECT_EQ(a.exitCode, 0) << flag;
    EXPECT_EQ(a.out, std::string("gromwumbler (Grom Wumbler) ") + kVersion + "\n");
    EXPECT_EQ(a.err, "");
  }
}

TEST(CommandLine, AnythingElseIsRefusedOnStderrWithStatusTwo) {
  const struct {
    std::string_view arg;
    const char* says;
  } cases[] = {
      {"--fullscreen", "gromwumbler: unknown option '--fullscreen'\n"},
      {"-x", "gromwumbler: unknown option '-x'\n"},
      {"Config.cfg", "gromwumbler: unexpected argument 'Config.cfg'\n"},
      {"", "gromwumbler: unexpected argument ''\n"},
  };
  for (const auto& c : cases) {
    const CommandLineAnswer a = Read({c.arg});
    EXPECT_FALSE(a.runGame) << c.arg;
    EXPECT_EQ(a.exitCode, 2) << c.arg;
    EXPECT_EQ(a.out, "") << c.arg;
    EXPECT_EQ(a.err, std::string(c.says) + "Try 'gromwumbler --help' for more information.\n");
  }
}

TEST(CommandLine, WatchTakesOneFileAndRefusesAnythingElse) {
  for (const std::vector<std::string_view>& args : {std::vector<std::string_view>{"--watch", "a b.gwr"},
                                                   {"-w", "a b.gwr"}, {"--watch=a b.gwr"}}) {
    const CommandLineAnswer a = Read(args);
    EXPECT_TRUE(a.runGame) << args[0];
    EXPECT_EQ(a.watch, "a b.gwr") << args[0];
    EXPECT_EQ(a.err, "");
  }
  const struct {
    std::vector<std::string_view> args;
    const char* says;
  } cases[] = {
      {{"--watch"}, "gromwumbler: option '--watch' needs a FILE\n"},
      {{"-w"}, "gromwumbler: option '-w' needs a FILE\n"},
      {{"--watch="}, "gromwumbler: option '--watch' needs a FILE\n"},
      {{"--watch", ""}, "gromwumbler: option '--watch' needs a FILE\n"},
      {{"--watch", "a.gwr", "b.gwr"}, "gromwumbler: unexpected argument 'b.gwr'\n"},
      {{"--watch=a.gwr", "--help"}, "gromwumbler: unexpected argument '--help'\n"},
  };
  for (const auto& c : cases) {
    const CommandLineAnswer a = Read(c.args);
    EXPECT_FALSE(a.runGame) << c.says;
    EXPECT_EQ(a.exitCode, 2) << c.says;
    EXPECT_EQ(a.err, std::string(c.says) + "Try 'gromwumbler --help' for more information.\n");
  }
}

}  // namespace
}  // namespace gw::app
