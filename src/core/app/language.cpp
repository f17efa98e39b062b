#include "core/app/language.h"

#include "core/platform/locale.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace omniset {

int LanguageMode = 1;

namespace {

// The toolkit's translation of its own texts (message-box buttons, the open-file dialog,
// context menus), installed while the program speaks Chinese.
constexpr char kToolkitTranslation[] = "qtbase_zh_CN";

QPointer<QTranslator> g_toolkit;

} // namespace

bool followToolkitLanguage() {
    auto* app = QCoreApplication::instance();
    if (!app) return false;
    if (LanguageMode == 1) {
        if (g_toolkit) QCoreApplication::removeTranslator(g_toolkit);
        return true;
    }
    if (!g_toolkit) {
        auto* t = new QTranslator(app);
        if (!t->load(QLatin1String(kToolkitTranslation),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete t; // not installed: the toolkit keeps its English texts
            return false;
        }
        g_toolkit = t;
    }
    // Installing an installed translator again only moves it to the front.
    return QCoreApplication::installTranslator(g_toolkit);
}

void initLanguageMode() {
    LanguageMode = platform::doubleByteCharacterSet() ? 0 : 1;
    followToolkitLanguage();
}

void toggleLanguage() {
    LanguageMode = 1 - LanguageMode;
    followToolkitLanguage();
}

} // namespace omniset
