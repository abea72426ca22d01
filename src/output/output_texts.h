// Texts of the tree and comment files, and the dialogs that choose them.
#pragma once

#include <string>
#include <string_view>

namespace kelvora::tree_text {

// CP932 bytes of a UTF-8 text, made once per text.
const std::string& Cp932(std::string_view utf8);

inline constexpr std::string_view kDataLine = "//Data1:";
inline constexpr std::string_view kEndMarker = "// ---------- [End Of File] ---------- //";
inline constexpr std::string_view kDot = "・ ";
inline constexpr std::string_view kRecursionMark = "  ※再起処理";
inline constexpr std::string_view kUnionMember = "(※unionﾒﾝﾊﾞ)  ";
inline constexpr std::string_view kUnionTag = "(※union)";

inline constexpr std::string_view kCancelled = "キャンセルします！　";

inline constexpr std::string_view kTreeFilter = "treeファイル(*.tree)";
inline constexpr std::string_view kCommentFilter = "*.txt (*.txt);;*.* (*)";

}  // namespace kelvora::tree_text
