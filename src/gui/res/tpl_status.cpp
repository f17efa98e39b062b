// Templates 143 ("Saving profile") and 144 (reading / download status): modeless windows
// without buttons or close box, centred on the screen, visible from creation.
#include "gui/res/templates.h"

namespace omniset::res {

namespace {

constexpr std::uint32_t kStatusFlags = CenterScreen | VisibleAtCreate;

constexpr Control kSavingControls[] {
    icon({10, 10, 21, 20}),
    label(1215, {40, 16, 122, 10}, "正在保存配置，请等待···"),
};

constexpr TextEntry kSavingTextArray[] {
    {1215, "正在保存配置，请等待···", "Saving profile, wait···"},
    {kCaption, "保存配置", "Saving Profile"},
};

// Wide enough for the download caption in the title bar.
constexpr Control kReadingControls[] {
    icon({10, 10, 21, 20}),
    label(1194, {40, 16, 150, 10}, "正在读取配置，请等待···"),
};

constexpr TextEntry kReadingTextArray[] {
    {1194, "正在读取配置，请等待···", "Reading profile, wait..."},
    {kCaption, "读取配置", "Reading profile"},
};

constexpr TextEntry kPrepareTextArray[] {
    {1194, "正在准备下载，请等待···", "Prepare downloading, wait..."},
    {kCaption, "Omniset给KX220主机下载软件", "Omniset is prepared for downloading KX220 software"},
};

constexpr TextEntry kFinishingTextArray[] {
    {1194, "正在结束下载，请等待···", "Downloading is over, wait... "},
    {kCaption, "Omniset给KX220主机下载软件", "Omniset is prepared for downloading KX220 software"},
};

} // namespace

const DialogTemplate kSavingTemplate {143, 170, 40, "保存配置", 9, kStatusFlags, kSavingControls};
const TextTable kSavingTexts {kSavingTextArray};

const DialogTemplate kReadingTemplate {144, 200, 40, "读取配置", 9, kStatusFlags, kReadingControls};
const TextTable kReadingTexts {kReadingTextArray};
const TextTable kPrepareTexts {kPrepareTextArray};
const TextTable kFinishingTexts {kFinishingTextArray};

} // namespace omniset::res
