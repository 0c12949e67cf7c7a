// Message texts: composition and the boxes every plug-in shows.
// Every box names the machine on its first line; texts are joined by "\n",
// titles by " ". Texts come from the current module's string table.
#ifndef SIS_FRAMEWORK_MESSAGES_H
#define SIS_FRAMEWORK_MESSAGES_H

#include <cstdint>
#include <initializer_list>
#include <string>

#include "sis/platform/message_box.h"

namespace sis {

// String-table numbers shared by every plug-in.
namespace msg {
inline constexpr int32_t kUnknownError = 17000;
inline constexpr int32_t kInternalError = 17001;
inline constexpr int32_t kDataError = 17002;
inline constexpr int32_t kTargetError = 17003;
inline constexpr int32_t kActionError = 17004;
inline constexpr int32_t kAccessRights = 17005;
inline constexpr int32_t kTransferError = 17006;
inline constexpr int32_t kOtherActionRunning = 17010;
inline constexpr int32_t kFinalTransmissionError = 17012;
inline constexpr int32_t kActionAborted = 17013;
inline constexpr int32_t kMajorError = 17014;
inline constexpr int32_t kDefaultTitle = 17100;
inline constexpr int32_t kReportTitle = 17300;
inline constexpr int32_t kResetFailed = 18100;
inline constexpr int32_t kResetQuestion = 18101;
inline constexpr int32_t kSwitchOffInfo = 18102;
}  // namespace msg

inline constexpr const wchar_t* kLineBreak = L"\n";
inline constexpr const wchar_t* kTitleJoiner = L" ";

// Concatenation of wide texts.
std::wstring Compose(std::initializer_list<std::wstring> parts);
// The string-table number of the host error text for an ACTIONDLL result.
int32_t HostErrorStringId(int32_t code);
// A box: machine name, "\n", then the lines joined by "\n".
int ShowMessage(BoxKind kind, const std::wstring& machine, std::initializer_list<std::wstring> lines);
// The same with string-table texts.
int ShowMessageIds(BoxKind kind, const std::wstring& machine, std::initializer_list<int32_t> ids);

}  // namespace sis

#endif
