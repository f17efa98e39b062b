// The settings file: reads like the private-profile integer read, writes that keep every
// other line and never leave a damaged file.
#include "core/app/settings_store.h"
#include "core/platform/ini_file.h"
#include "core/platform/paths.h"
#include "test_env.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace omniset;
using platform::iniReadInt;
using platform::iniWriteInt;

namespace {

QString scratchFile(const char* name) {
    QString dir = test::scratchRoot() + "/ini";
    QDir().mkpath(dir);
    return dir + "/" + name;
}

void writeText(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

QByteArray readText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

} // namespace

TEST(SettingsFile, LivesInTheConfigDirUnderTheExecutableName) {
    EXPECT_EQ(platform::settingsFilePath(),
              test::configDir() + "/" + platform::executableBaseName() + ".INI");
    EXPECT_EQ(platform::executableBaseName(), "link_settings_tests");
}

TEST(SettingsFile, MissingFileSectionOrKeyGivesTheDefault) {
    auto path = scratchFile("missing.INI");
    EXPECT_EQ(iniReadInt(path, "Asychron_set", "iComNo", 1), 1);
    writeText(path, "[Other]\niComNo=3\n[Asychron_set]\nm_data2=0\n");
    EXPECT_EQ(iniReadInt(path, "Asychron_set", "iComNo", 1), 1);
    EXPECT_EQ(iniReadInt(path, "Nowhere", "m_data2", 8), 8);
    EXPECT_EQ(iniReadInt(path, "Asychron_set", "m_data2", 8), 0);
}

TEST(SettingsFile, NamesMatchWhateverTheirCase) {
    auto path = scratchFile("case.INI");
    writeText(path, "[ASYCHRON_SET]\r\nICOMNO = 3\r\n");
    EXPECT_EQ(iniReadInt(path, "Asychron_set", "iComNo", 1), 3);
    ASSERT_TRUE(iniWriteInt(path, "asychron_set", "icomno", 4));
    EXPECT_EQ(readText(path), "[ASYCHRON_SET]\r\nICOMNO=4\r\n");
}

TEST(SettingsFile, ValuesReadAsTheirLeadingDecimalNumber) {
    struct Case {
        const char* text;
        int value;
    } cases[] = {{"4", 4},    {" 12 ", 12},     {"7abc", 7}, {"abc", 0}, {"0x10", 0},
                 {"-3", -3},  {"+5", 5},        {"", 99},    {"\"6\"", 6},
                 {"99999999999", 2147483647}};
    for (const auto& c : cases) EXPECT_EQ(platform::parseIniInt(c.text, 99), c.value) << c.text;
    auto path = scratchFile("values.INI");
    writeText(path, "[s]\nempty=\nword=yes\n");
    EXPECT_EQ(iniReadInt(path, "s", "empty", 42), 42);
    EXPECT_EQ(iniReadInt(path, "s", "word", 42), 0);
}

TEST(SettingsFile, WritesKeepEveryOtherLine) {
    auto path = scratchFile("keep.INI");
    const QByteArray before = "; my notes\n[POTSAd_set]\nm_bInit=0\nother = x\n\n"
                              "[Asychron_set]\n# tuned by hand\nm_baudrate2=4\n\n[Tail]\nk=v";
    writeText(path, before);
    ASSERT_TRUE(iniWriteInt(path, "POTSAd_set", "m_bInit", 1));
    ASSERT_TRUE(iniWriteInt(path, "Asychron_set", "iComNo", 2));
    ASSERT_TRUE(iniWriteInt(path, "New_set", "a", -7));
    EXPECT_EQ(readText(path), "; my notes\n[POTSAd_set]\nm_bInit=1\nother = x\n\n"
                              "[Asychron_set]\n# tuned by hand\nm_baudrate2=4\niComNo=2\n\n"
                              "[Tail]\nk=v\n[New_set]\na=-7\n");
    EXPECT_EQ(iniReadInt(path, "New_set", "a", 0), -7);
}

TEST(SettingsFile, FirstWriteCreatesDirectoryFileAndSection) {
    QDir(test::configDir()).removeRecursively();
    ASSERT_TRUE(PutSettingInt(settings::AsyncSection, settings::ComNo, 3));
    ASSERT_TRUE(PutSettingInt(settings::PotsSection, settings::Init, 1));
    EXPECT_EQ(readText(platform::settingsFilePath()), "[Asychron_set]\niComNo=3\n"
                                                      "[POTSAd_set]\nm_bInit=1\n");
    EXPECT_EQ(GetSettingInt(settings::AsyncSection, settings::ComNo, 1), 3);
    QDir().mkpath(test::configDir() + "/dosdevices");
}

TEST(SettingsFile, AWriteThatCannotCompleteLeavesTheOldFile) {
    // The parent of the file is a regular file: nothing can be created.
    auto blocker = scratchFile("not-a-dir");
    writeText(blocker, "x");
    EXPECT_FALSE(iniWriteInt(blocker + "/omniset.INI", "s", "k", 1));

    // The file is a directory: the replacement cannot take its place.
    auto dirPath = scratchFile("dir.INI");
    QDir().mkpath(dirPath);
    EXPECT_FALSE(iniWriteInt(dirPath, "s", "k", 1));
    EXPECT_TRUE(QFileInfo(dirPath).isDir());

    // The disk is full (a file-size limit makes the writes fail): the old file stays whole
    // and no temporary file is left behind.
    auto path = scratchFile("full.INI");
    QByteArray old = "[s]\nk=1\n" + QByteArray(300, ';') + "\n";
    writeText(path, old);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool wrote = iniWriteInt(path, "s", "k", 2);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(wrote);
    EXPECT_EQ(readText(path), old);
    EXPECT_EQ(QDir(test::scratchRoot() + "/ini").entryList({"full.INI.*"}).size(), 0);
}

// A file that exists but cannot be read is never replaced: a write would lose what it
// holds. Root reads every file, so these are the ways it fails even for root.
TEST(SettingsFile, AFileThatCannotBeReadIsNeverReplaced) {
    struct Case {
        const char* name;
        std::function<void(const QString&)> make;
    };
    const std::vector<Case> cases{
        {"a loop of links",
         [](const QString& p) {
             ASSERT_TRUE(QFile::link(p + ".b", p));
             ASSERT_TRUE(QFile::link(p, p + ".b"));
         }},
        {"a named pipe", [](const QString& p) { ASSERT_EQ(::mkfifo(qPrintable(p), 0644), 0); }},
        {"a link to a device", [](const QString& p) { ASSERT_TRUE(QFile::link("/dev/null", p)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = scratchFile(c.name);
        c.make(path);
        struct stat before {};
        ASSERT_EQ(::lstat(qPrintable(path), &before), 0);
        EXPECT_FALSE(iniWriteInt(path, "s", "k", 1));
        EXPECT_EQ(iniReadInt(path, "s", "k", 7), 7);
        struct stat after {};
        ASSERT_EQ(::lstat(qPrintable(path), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino) << "replaced";
        EXPECT_EQ(after.st_mode, before.st_mode);
    }
    if (::geteuid() != 0) { // a file without read permission (root would read it)
        const QString path = scratchFile("unreadable.INI");
        writeText(path, "[s]\nk=1\n");
        ::chmod(qPrintable(path), 0200);
        EXPECT_FALSE(iniWriteInt(path, "s", "k", 2));
        ::chmod(qPrintable(path), 0600);
        EXPECT_EQ(readText(path), "[s]\nk=1\n");
    }
}

// A new file gets the mode the umask gives; an existing one keeps its own.
TEST(SettingsFile, ModesFollowTheUmaskOrTheOldFile) {
    const mode_t saved = ::umask(027);
    const QString fresh = scratchFile("fresh.INI");
    EXPECT_TRUE(iniWriteInt(fresh, "s", "k", 1));
    struct stat st {};
    ASSERT_EQ(::stat(qPrintable(fresh), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    ::umask(saved);

    const QString kept = scratchFile("kept.INI");
    writeText(kept, "[s]\nk=1\n");
    ASSERT_EQ(::chmod(qPrintable(kept), 0604), 0);
    EXPECT_TRUE(iniWriteInt(kept, "s", "k", 2));
    ASSERT_EQ(::stat(qPrintable(kept), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(iniReadInt(kept, "s", "k", 0), 2);
}

// A settings file that is a symbolic link (to a file kept elsewhere) stays a link; the
// write reaches its target, also through a chain of links and to a target not made yet.
TEST(SettingsFile, ALinkIsWrittenThroughToItsTarget) {
    const QString target = scratchFile("elsewhere.INI");
    writeText(target, "; mine\n[s]\nk=1\n");
    const QString middle = scratchFile("middle.INI");
    const QString link = scratchFile("linked.INI");
    ASSERT_TRUE(QFile::link(target, middle));
    ASSERT_TRUE(QFile::link(middle, link));
    EXPECT_TRUE(iniWriteInt(link, "s", "k", 5));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(QFileInfo(middle).isSymLink());
    EXPECT_EQ(readText(target), "; mine\n[s]\nk=5\n");

    const QString later = scratchFile("not-yet.INI");
    const QString dangling = scratchFile("dangling.INI");
    ASSERT_TRUE(QFile::link(later, dangling));
    EXPECT_TRUE(iniWriteInt(dangling, "s", "k", 3));
    EXPECT_TRUE(QFileInfo(dangling).isSymLink());
    EXPECT_EQ(readText(later), "[s]\nk=3\n");
}
