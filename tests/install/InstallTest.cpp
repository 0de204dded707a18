// The build installed into a scratch prefix as "cmake --install" installs it
// for a user: the folders every file lands in, and the installed programs run
// from there, finding the project's libraries and the help pages by
// themselves.
#include <gtest/gtest.h>

#include <QString>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "TavimorVersion.h"
#include "app/HelpFile.h"
#include "tests/transfer/ChildProcess.h"

namespace {

namespace fs = std::filesystem;

struct TRun {
    int Status = -1;
    std::string Output;
};

const std::vector<std::string> Programs = {"tavimor", "tavimor-cli", "tavimor-virtual-eps",
                                           "tavimor-monitor"};

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tavimor-install-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        Folder = pattern;
        Prefix = Folder / "prefix";
        TChildProcess install(
            {CMAKE_COMMAND, "--install", TAVIMOR_BUILD_DIR, "--prefix", Prefix.string()}, {},
            Path("install.log"), Path("install.log"));
        ASSERT_EQ(install.Wait(), 0) << ReadTextFile(Path("install.log"));
    }
    void TearDown() override { fs::remove_all(Folder); }

    // An installed program, on no display and with no library path, as from
    // a text console.
    TRun Run(const std::string& program, const std::vector<std::string>& arguments) {
        std::vector<std::string> command = {(Prefix / "bin" / program).string()};
        command.insert(command.end(), arguments.begin(), arguments.end());
        TChildProcess process(
            command,
            {"LD_LIBRARY_PATH=", "DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=xcb",
             "TAVIMOR_MIDI_DEVICES=", "XDG_CONFIG_HOME=" + Path("config")},
            Path("stdout"), Path("stderr"));
        TRun run;
        run.Status = process.Wait();
        run.Output = ReadTextFile(Path("stdout")) + ReadTextFile(Path("stderr"));
        return run;
    }

    std::set<std::string> Names(const fs::path& folder) const {
        std::set<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    std::string Path(const std::string& name) const { return (Folder / name).string(); }

    fs::path Folder;
    fs::path Prefix;
};

TEST_F(InstallTest, EveryFileLandsInItsFolder) {
    EXPECT_EQ(Names(Prefix / "bin"), std::set<std::string>(Programs.begin(), Programs.end()));
    EXPECT_EQ(Names(Prefix / "lib" / "tavimor"),
              (std::set<std::string>{"libtavimor_midi.so", "libvorrin.so"}));
    for (const char* file :
         {"help/index.html", "help/trace.html", "help/style.css", "copyright", "changelog.gz"}) {
        EXPECT_TRUE(fs::is_regular_file(Prefix / "share" / "doc" / "tavimor" / file)) << file;
    }
}

// Each program answers without a display, which also shows that it finds
// the project's libraries through its own search path.
TEST_F(InstallTest, EveryProgramPrintsItsVersion) {
    for (const std::string& program : Programs) {
        const TRun run = Run(program, {"--version"});
        EXPECT_EQ(run.Status, 0) << program << ": " << run.Output;
        EXPECT_EQ(run.Output, program + " " TAVIMOR_VERSION "\n");
    }
    EXPECT_EQ(Names(Prefix / "bin").size(), Programs.size());
}

TEST_F(InstallTest, ToolListsTheBuiltInSamplersInstruments) {
    const TRun run = Run("tavimor-cli", {"--device", "Virtual EPS", "list"});
    EXPECT_EQ(run.Status, 0) << run.Output;
    EXPECT_NE(run.Output.find("2  Drum Kit      wavesamples 1 2\n"), std::string::npos)
        << run.Output;
    EXPECT_EQ(Names(Prefix / "bin").size(), Programs.size());
}

TEST_F(InstallTest, HelpIsFoundInTheDocumentationFolderOrBesideTheBuiltProgram) {
    const QString installed = QString::fromStdString((Prefix / "bin").string());
    EXPECT_EQ(THelpFile::FindContents(installed).toStdString(),
              (Prefix / "share" / "doc" / "tavimor" / "help" / "index.html").string());
    const QString built = QString::fromStdString(TAVIMOR_BUILD_DIR "/bin");
    EXPECT_EQ(THelpFile::FindContents(built).toStdString(),
              TAVIMOR_BUILD_DIR "/bin/help/index.html");
    // Where neither holds the help, the user is told the place beside the
    // program.
    const QString bare = QString::fromStdString(Folder.string());
    EXPECT_EQ(THelpFile::FindContents(bare).toStdString(), Path("help/index.html"));
}

} // namespace
