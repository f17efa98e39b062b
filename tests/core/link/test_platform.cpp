// The smaller services of the platform layer: locale, port names, boxes, ending.
#include "core/app/language.h"
#include "core/app/messages.h"
#include "core/platform/locale.h"
#include "core/platform/paths.h"
#include "core/platform/process.h"
#include "test_env.h"
#include "testkit.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace omniset;

TEST(Locale, ChineseJapaneseAndKoreanAreDoubleByte) {
    for (const char* name : {"zh_CN.UTF-8", "zh_TW", "ja_JP.eucJP", "ko_KR.UTF-8", "zh", "ja"})
        EXPECT_TRUE(platform::isDoubleByteLocale(name)) << name;
    for (const char* name : {"en_US.UTF-8", "C", "POSIX", "de_DE@euro", "", "zhx_XX", "kok_IN"})
        EXPECT_FALSE(platform::isDoubleByteLocale(name)) << name;
}

TEST(Locale, TheFirstSetVariableDecidesTheLanguage) {
    auto set = [](const char* all, const char* messages, const char* lang) {
        for (auto [var, value] : {std::pair{"LC_ALL", all}, {"LC_MESSAGES", messages},
                                  {"LANG", lang}}) {
            if (value) ::setenv(var, value, 1);
            else ::unsetenv(var);
        }
        initLanguageMode();
        return LanguageMode;
    };
    EXPECT_EQ(set(nullptr, nullptr, "zh_CN.UTF-8"), 0);
    EXPECT_EQ(set("en_US.UTF-8", nullptr, "zh_CN.UTF-8"), 1);
    EXPECT_EQ(set("", "ja_JP", "en_GB"), 0) << "an empty LC_ALL counts as unset";
    EXPECT_EQ(set(nullptr, nullptr, nullptr), 1);
    toggleLanguage();
    EXPECT_EQ(LanguageMode, 0);
    toggleLanguage();
    EXPECT_EQ(LanguageMode, 1);
}

TEST(PortNames, LinksDecideAndOnlyAMissingLinkFallsBack) {
    EXPECT_EQ(platform::portLinkPath(3), test::configDir() + "/dosdevices/com3");
    EXPECT_EQ(platform::resolvePortDevice(2), QString()) << "a dangling link opens nothing";
    QString target = test::scratchRoot() + "/fake-tty";
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    test::pointPortAt(2, target);
    EXPECT_EQ(platform::resolvePortDevice(2), target);
    QFile::remove(platform::portLinkPath(2));
    EXPECT_EQ(platform::resolvePortDevice(2), "/dev/ttyS1"); // the name only; never opened
    test::makePortDangling(2);
}

TEST(MessageBoxes, CaptionedOmnisetWithTheTextOfTheLanguage) {
    test::ScriptedBoxes boxes;
    boxes.answer(platform::BoxAnswer::Cancel);
    LanguageMode = 0;
    auto a = appBox("串口接收错误!", "Receive Error!", BoxButtons::OkCancel, BoxIcon::Question,
                    true);
    EXPECT_EQ(a, BoxAnswer::Cancel);
    LanguageMode = 1;
    appBox("串口接收错误!", "Receive Error!");
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, QString::fromUtf8("串口接收错误!"));
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Question);
    EXPECT_TRUE(boxes.shown[0].cancelIsDefault);
    EXPECT_EQ(boxes.shown[1].text, "Receive Error!");
    EXPECT_EQ(boxes.shown[1].caption, "Omniset");
    EXPECT_EQ(boxes.shown[1].buttons, BoxButtons::Ok);
    EXPECT_EQ(boxes.shown[1].icon, BoxIcon::None);
    EXPECT_EQ(boxes.shown[1].owner, nullptr);
}

TEST(Process, TheExitHookTakesTheCode) {
    test::ExitRecorder exits;
    platform::endProcess(3);
    EXPECT_EQ(exits.code, 3);
}
