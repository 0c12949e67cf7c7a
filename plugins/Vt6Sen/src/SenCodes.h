// Host codes and string numbers of the measurement inputs plug-in.
#ifndef VT6SEN_CODES_H
#define VT6SEN_CODES_H

#include <cstdint>

namespace sen {

namespace code {
inline constexpr int32_t kValueRange = 0x40026;       // variable: {minimum, maximum}
inline constexpr int32_t kSetStateFlag = 0x40036;     // activation variable: one integer
inline constexpr int32_t kFormatValue = 0x40038;      // {packed indexes, value, 1} -> text
inline constexpr int32_t kRefreshMap = 0x40062;       // map: one integer
inline constexpr int32_t kHorizontalScale = 0x40063;  // map: identifier of its horizontal scale
inline constexpr int32_t kReadStateFlag = 0x4003B;    // key variable: one integer
inline constexpr int32_t kChannelUse = 0x40041;       // channel name item: integer 0 -> text
inline constexpr int32_t kChannelText = 0x40042;      // channel text variable: text
inline constexpr int32_t kAttachStateTexts = 0x40079;  // key variable: NUL-separated texts
inline constexpr int32_t kRemoveStateTexts = 0x4007A;  // key variable: integer -1
inline constexpr int32_t kSendMode = 0x40050;          // with -1, 1 or 3
}  // namespace code

namespace ids {
inline constexpr int32_t kNoData = 17200;
inline constexpr int32_t kMajorError = 17014;
inline constexpr int32_t kNotReceived = 17016;
inline constexpr int32_t kFormatUnknown = 17017;
inline constexpr int32_t kInputsTitle = 17100;
inline constexpr int32_t kInputsReportTitle = 17300;
inline constexpr int32_t kMapsReportTitle = 17301;
inline constexpr int32_t kAverageReportTitle = 17302;
inline constexpr int32_t kConversionFormat = 18000;
inline constexpr int32_t kConversionLines = 18001;
inline constexpr int32_t kConversionOnOff = 18002;
inline constexpr int32_t kAverageUnknown = 18003;
inline constexpr int32_t kAverageVariable = 18004;
inline constexpr int32_t kUnknownConfiguration = 18010;
inline constexpr int32_t kUnknownChannel = 18020;
inline constexpr int32_t kChannelType = 18021;
inline constexpr int32_t kChannelUsed = 18022;
inline constexpr int32_t kChannelNotAllowed = 18023;
inline constexpr int32_t kReplacementRefused = 18031;
inline constexpr int32_t kConfigurationError = 18400;
inline constexpr int32_t kMeasurement = 18600;
inline constexpr int32_t kBlackOut = 19004;
inline constexpr int32_t kBlackOutLimit = 19005;
inline constexpr int32_t kShortCircuit = 19006;
inline constexpr int32_t kShortCircuitLimit = 19007;
inline constexpr int32_t kLambdaError = 19008;
inline constexpr int32_t kLambdaMovement = 19009;
inline constexpr int32_t kLambdaError2 = 19010;
inline constexpr int32_t kLambdaGap = 19011;
inline constexpr int32_t kBlackOutCustom = 19014;
inline constexpr int32_t kShortCircuitCustom = 19015;
inline constexpr int32_t kHelpReplacement = 20000;
inline constexpr int32_t kHelpTrigger = 20001;
inline constexpr int32_t kHelpActivation = 20002;
inline constexpr int32_t kFirstStateText = 21100;
inline constexpr int32_t kStateTextCount = 16;
}  // namespace ids

}  // namespace sen

#endif
