// omniset-cli's errors as a child process: why the adapter was not found, why a read failed,
// why a link was not made; and that they follow the locale's language.
#include "cli_run.h"
#include "sim_process.h"
#include "test_env.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace omniset;

namespace {

using test::CliRun;
using test::runCli;

QString scratch(const QString& name) { return test::scratchFile(QStringLiteral("cli-errors"), name); }

std::vector<std::string> simOnCom1(const char* fault) {
    std::vector<std::string> args{"--com", "1", "--no-pace", "--store",
                                  scratch(QStringLiteral("errors.store")).toStdString()};
    if (*fault) args.push_back(fault);
    return args;
}

bool hasChinese(const QString& s) {
    for (QChar c : s)
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF) return true;
    return false;
}

const QString kAdvice = QStringLiteral("omniset-cli: try 'omniset-cli ports'");

class CliErrors : public ::testing::Test {
  protected:
    void TearDown() override { test::makePortDangling(1); }
};

} // namespace

// A failed read says what went wrong with the reply and exits with status 4.
TEST_F(CliErrors, AFailedReadNamesItsCause) {
    const struct {
        const char* fault;
        const char* says;
    } cases[] = {
        {"--fault-bad-checksum", "Reading Current Profile failed: bad checksum"},
        {"--fault-short-read", "Reading Current Profile failed: short reply (327 of 654 hex digits came)"},
        {"--fault-silent-read",
         "Reading Current Profile failed: no reply (nothing came after the command's echo)"},
    };
    for (const auto& c : cases) {
        test::SimProcess sim(simOnCom1(c.fault));
        const CliRun r = runCli({"-q", "show"});
        EXPECT_EQ(r.code, 4) << c.fault << ": " << r.err.toStdString();
        EXPECT_EQ(r.err.trimmed(), QString::fromUtf8(c.says)) << c.fault;
    }
}

// Not found: the window program's words, the reason for the port (even with -q) and what to
// try; each reason said once when the search's progress shows.
TEST_F(CliErrors, AnAdapterNotFoundSaysWhyForThePort) {
    const QString dir = scratch(QStringLiteral("a-directory"));
    QDir().mkpath(dir);
    const QString dangling = test::scratchRoot() + QStringLiteral("/no-adapter-on-com3");
    const struct {
        QStringList args;
        QString reason;
        int times; // the reason's lines
    } cases[] = {
        {{"-q", "--port", "3", "info"}, "COM3: its link leads to " + dangling + ", which does not exist", 1},
        {{"-q", "--device", "/dev/nosuch", "info"}, "/dev/nosuch: does not exist", 1},
        {{"-q", "--device", dir, "info"}, dir + ": not a serial device", 1},
        {{"-q", "info"}, "COM3: its link leads to " + dangling + ", which does not exist", 1},
        {{"info"}, "COM3: its link leads to " + dangling + ", which does not exist", 1},
    };
    for (const auto& c : cases) {
        const CliRun r = runCli(c.args);
        const std::string what = c.args.join(' ').toStdString() + ": " + r.err.toStdString();
        EXPECT_EQ(r.code, 3) << what;
        EXPECT_TRUE(r.err.contains(QStringLiteral("Omniset Can't find Brantis KX220!"))) << what;
        EXPECT_EQ(r.err.count(c.reason), c.times) << what;
        EXPECT_TRUE(r.err.trimmed().endsWith(kAdvice + QStringLiteral(" to see the COM1..COM4 mappings "
                    "and the serial devices, and 'omniset-cli link N DEVICE' to point COMn at the "
                    "adapter's device."))) << what;
    }
    // A device that opens but stays silent at the settings tried.
    test::SimProcess sim(simOnCom1(""));
    const QString device = QFileInfo(test::configDir() + QStringLiteral("/dosdevices/com1")).canonicalFilePath();
    const CliRun r = runCli({"-q", "--device", device, "--line", "9600,8,N,1", "info"});
    EXPECT_EQ(r.code, 3);
    EXPECT_TRUE(r.err.contains(device + QStringLiteral(": opened, no answer at 9600 8N1\n")))
        << r.err.toStdString();
}

TEST_F(CliErrors, ALinkNeedsAnExistingCharacterDevice) {
    const QString file = scratch(QStringLiteral("plain"));
    QFile(file).open(QIODevice::WriteOnly);
    const QString dangling = scratch(QStringLiteral("dangling"));
    QFile::remove(dangling);
    QFile::link(QStringLiteral("/dev/gone"), dangling);
    const struct {
        QString device;
        QString says;
    } cases[] = {
        {"/dev/nosuch", "/dev/nosuch: does not exist"},
        {file, file + ": exists, but is not a character device"},
        {dangling, dangling + ": a link to /dev/gone, which does not exist"},
    };
    for (const auto& c : cases) {
        const CliRun r = runCli({"link", "2", c.device});
        EXPECT_EQ(r.code, 2) << c.device.toStdString();
        EXPECT_TRUE(r.err.startsWith(c.says)) << r.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo(test::configDir() + QStringLiteral("/dosdevices/com2")).exists());
    test::makePortDangling(2);
}

// Failing commands say it in Chinese under a Chinese locale and in English otherwise.
TEST_F(CliErrors, MessagesFollowTheLocale) {
    const QString bad = scratch(QStringLiteral("not-a-backup.json"));
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("{}");
    f.close();
    test::SimProcess sim(simOnCom1(""));
    const struct {
        QStringList args;
        int code;
        const char* en;
        const char* zh;
    } cases[] = {
        {{"diff", bad, bad}, 2, "not an omniset backup", "不是omniset备份文件"},
        {{"-q", "set", "data.bod.upper_threshold=x"}, 2, "Please enter an integer.", "请输入整数。"},
        {{"-q", "set", "data.bod.fare_unit=5"}, 2, "between 10 and 2550", "请输入 10 到 2550 之间的整数"},
        {{"link", "1", "/dev/nosuch"}, 2, "/dev/nosuch: does not exist", "/dev/nosuch: 不存在"},
        {{"-q", "--port", "3", "info"}, 3, "which does not exist", "该设备不存在"},
        {{"info", "--check"}, 2, "--check belongs to apply", "--check 属于 apply"},
        {{"backup", "/proc/x/y.json"}, 2, "No such folder", "目录不存在"},
    };
    for (const auto& c : cases) {
        const std::string what = c.args.join(' ').toStdString();
        const CliRun en = runCli(c.args);
        const CliRun zh = runCli(c.args, {}, QStringLiteral("zh_CN.UTF-8"));
        EXPECT_EQ(en.code, c.code) << what << ": " << en.err.toStdString();
        EXPECT_EQ(zh.code, c.code) << what << ": " << zh.err.toStdString();
        EXPECT_TRUE(en.err.contains(QString::fromUtf8(c.en))) << what << ": " << en.err.toStdString();
        EXPECT_TRUE(zh.err.contains(QString::fromUtf8(c.zh))) << what << ": " << zh.err.toStdString();
        EXPECT_FALSE(hasChinese(en.err)) << what << ": " << en.err.toStdString();
        EXPECT_NE(en.err, zh.err) << what;
    }
}
