// Every refusal of the card object goes through ShowCardMessage: a modal box with no
// owner, caption "Kestrin" and an OK button. The texts are GBK (code page 936) bytes.
#pragma once

namespace card_text {
// "参数设置有误!"
inline constexpr char kBadParameter[] = "\xb2\xce\xca\xfd\xc9\xe8\xd6\xc3\xd3\xd0\xce\xf3!";
// "请将控制卡初始化后再使用!"
inline constexpr char kNotInitialised[] =
    "\xc7\xeb\xbd\xab\xbf\xd8\xd6\xc6\xbf\xa8\xb3\xf5\xca\xbc\xbb\xaf\xba\xf3\xd4\xd9\xca\xb9\xd3"
    "\xc3!";
// "控制卡正在使用中!"
inline constexpr char kAlreadyOpen[] =
    "\xbf\xd8\xd6\xc6\xbf\xa8\xd5\xfd\xd4\xda\xca\xb9\xd3\xc3\xd6\xd0!";
// "请安装驱动程序后再使用!"
inline constexpr char kNoDriver[] =
    "\xc7\xeb\xb0\xb2\xd7\xb0\xc7\xfd\xb6\xaf\xb3\xcc\xd0\xf2\xba\xf3\xd4\xd9\xca\xb9\xd3\xc3!";
// "该控制卡可能正在被其他程序使用!"
inline constexpr char kCardBusy[] =
    "\xb8\xc3\xbf\xd8\xd6\xc6\xbf\xa8\xbf\xc9\xc4\xdc\xd5\xfd\xd4\xda\xb1\xbb\xc6\xe4\xcb\xfb\xb3"
    "\xcc\xd0\xf2\xca\xb9\xd3\xc3!";
}  // namespace card_text

// Shows the message and returns when it has been dismissed. With the environment
// variable VORN305Q_MSGBOX_LOG naming a file, the message is appended to that file as
// one UTF-8 line "Kestrin: <text>" instead of being shown.
void ShowCardMessage(const char* gbkText);

// Tests observe messages instead of showing them; null restores the default.
typedef void (*CardMessageSink)(const char* gbkText, void* context);
void SetCardMessageSink(CardMessageSink sink, void* context);
