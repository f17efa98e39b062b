#include "gui/app/startup.h"

#include "core/app/language.h"
#include "core/platform/process.h"
#include "gui/app/prop_sheet.h"
#include "gui/link/detection_dialog.h"
#include "gui/res/app_strings.h"

#include <QString>

namespace omniset {

void runStartup() {
    // 1. The platform's own control look needs no switch here.
    // 2. Chinese texts on a Chinese, Japanese or Korean system, English elsewhere.
    initLanguageMode();
    // 3. Find the adapter; detection ends the process itself when it cannot.
    CDetectDlg detect;
    detect.exec();
    if (platform::processEnded() || !detect.found()) return;
    // 4. The sheet's first caption, the same in both languages.
    const QString caption = QString::fromLatin1(res::kDeviceTitle) + QString::fromUtf8("(当前配置)");
    // 5. The main sheet, modal; closing it ends the program.
    CPropSheet sheet(caption);
    sheet.run();
}

} // namespace omniset
