// Filling the programs' message texts: a CP932 format whose "%s" and "%d" placeholders take the
// given texts in order, as the messages are written ("棋譜追加中...  %d", "棋譜保存エラー(%s)").
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace core {

// Replaces the placeholders "%s" and "%d" of format (CP932) in order with args; a placeholder
// without an argument is left as it stands. Never looks inside a two-byte character.
std::string formatMessage(std::string_view format, std::initializer_list<std::string_view> args);

// As formatMessage, with the format given as a UTF-8 literal (converted once per call site by
// the caller's static, or here when it is used rarely).
std::string formatMessageUtf8(const char* formatUtf8, std::initializer_list<std::string_view> args);

}  // namespace core
