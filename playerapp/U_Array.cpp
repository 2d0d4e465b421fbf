#include "playerapp/U_Array.h"

#include <iterator>

namespace playerqz {

std::string_view CaptionArray::Text(int language, int entry) const {
    if (language < 1 || language > LanguageCount || entry < 0 || entry >= perLanguage) return {};
    return items[(language - 1) * perLanguage + entry];
}

namespace {

constexpr std::string_view kTitle[] = {
    // simplified Chinese
    "MPEG4专用播放器", "文件(&F)", "打开(&O)", "关闭(&C)", "设置...", "退出(&Q)", "关于(&A)",
    // English
    "MPEG4 Medieaplayer", "Files(&F)", "Open(&O)", "Close(&C)", "Setup...", "Quit(&Q)", "About(&A)",
    // traditional Chinese
    "MPEG4專用播放器", "檔案(&F)", "開啟(&O)", "關閉(&C)", "設定...", "結束(&Q)", "關於(&A)"};

constexpr std::string_view kHint[] = {
    "选择播放文件", "播放", "暂停", "停止", "回到开头", "上一帧", "下一帧", "慢放", "快放",
    "到结尾", "抓图", "全屏", "循环", "循环起点", "循环终点", "保存选定区域", "声音开关", "音量",
    "显示播放进度",
    //
    "Select Files to play", "Play", "Pause", "Stop", "Back", "preview", "next", "Slowly play",
    "quickly play", "step", "capture image", "screen", "circle", "circle start", "circle end",
    "save selecting area", "voice switch", "volume", "Display play progress",
    //
    "選擇播放檔案", "播放", "暫停", "停止", "回到開頭", "上一格", "下一格", "慢放", "快放",
    "到結尾", "抓圖", "全螢幕", "循環", "循環起點", "循環終點", "儲存選定區域", "聲音開關", "音量",
    "顯示播放進度"};

constexpr std::string_view kMessage[] = {
    "视频播放器初始化失败。", "打开文件失败。文件正在使用或格式不正确。", "播放器无法播放该文件。",
    "视频播放器", "系统正在保存数据，请稍后再试", "通道 (", "文件时长: ", "正在播放...", "暂停",
    "就绪", "没有要打开的文件。", "已播放时间: ", "当前帧: ", "", "", "关于...", "文件名: ",
    //
    "Video player failed to initialize.",
    "Open file failed.  The file either is in use or has incorrect format.",
    "The player failed to play the file.", "Video Player",
    "System is saving data.  Please try again later", "Camera (", "Play Time: ", "is playing...",
    "Pause", "Ready", "No file to open.", "Played Time: ", "Current Frame: ", "", "", "About...",
    "File Name: ",
    //
    "視訊播放器初始化失敗。", "開啟檔案失敗。檔案正在使用或格式不正確。", "播放器無法播放該檔案。",
    "視訊播放器", "系統正在儲存資料，請稍後再試", "通道 (", "檔案時長: ", "正在播放...", "暫停",
    "就緒", "沒有要開啟的檔案。", "已播放時間: ", "目前畫格: ", "", "", "關於...", "檔案名稱: "};

constexpr std::string_view kPortCount[] = {
    "回放属性", "常规", "请输入回放通道数(1~16):", "确定", "取消",
    //
    "replay property", "Common", "Please enter replay channel count(1~16):", "Ok", "Cancel",
    //
    "回放屬性", "一般", "請輸入回放通道數(1~16):", "確定", "取消"};

static_assert(std::size(kTitle) == LanguageCount * tcCount);
static_assert(std::size(kHint) == LanguageCount * hcCount);
static_assert(std::size(kMessage) == LanguageCount * mcCount);
static_assert(std::size(kPortCount) == LanguageCount * pcCount);

} // namespace

const CaptionArray TitleCaptions{kTitle, tcCount};
const CaptionArray HintCaptions{kHint, hcCount};
const CaptionArray MessageCaptions{kMessage, mcCount};
const CaptionArray PortCountCaptions{kPortCount, pcCount};

const std::string_view ChannelNameTable[ChannelNameCount] = {
    "通道1",      "通道2",     "通道3",     "通道4",     "通道5",     "通道6",     "通道7",
    "通道8",      "通道9",     "通道10",    "通道11",    "通道12",    "通道13",    "通道14",
    "通道15",     "通道16",    "通道17",    "通道18",    "通道19",    "通道20",    "通道21",
    "通道22",     "通道23",    "通道24",    "channel1",  "channel2",  "channel3",  "channel4",
    "channel5",   "channel6",  "channel7",  "channel8",  "channel9",  "channel10", "channel11",
    "channel12",  "channel13", "channel14", "channel15", "channel16", "channel17", "channel18",
    "channel19",  "channel20", "channel21", "channel22", "channel23", "channel24", "Pemtol DVR ",
    "Pemtol DVR "};

} // namespace playerqz
