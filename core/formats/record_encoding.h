// The Shift-JIS (CP932) forms of the record formats: the text a writer builds is UTF-8, and the
// file of a CP932 format is made from it here. A record that holds a character CP932 cannot hold
// is never written with "？" in its place: the save stops and says which field holds which
// character, offering the UTF-8 form of the same format.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/formats/record_writer_options.h"
#include "core/record/record_store.h"

namespace core {

// A character of a record that CP932 cannot hold, and where it is: "先手", "表題",
// "コメント（12手目）", "しおり" ...
struct Cp932Problem {
    std::string field;
    std::string character;  // UTF-8
};

// The first text of the record (players, header fields, comments in tree order, bookmarks) that
// holds a character CP932 cannot hold. userKeys names the user header fields.
std::optional<Cp932Problem> findCp932Problem(const RecordStore& store,
                                             const RecordWriteOptions& options = {});

// The bytes of a CP932 file from a writer's UTF-8 text; nullopt when a character cannot be held
// (the problem, by line when the record itself does not tell, goes to *problem).
std::optional<std::string> cp932FileBytes(std::string_view text, const RecordStore& store,
                                          const RecordWriteOptions& options,
                                          Cp932Problem* problem = nullptr);

// "「先手」の文字「한」（U+D55C）はShift-JISで書けません。" followed by the offer of the UTF-8 form
// (utf8Form: "KIF形式(UTF-8)(*.kifu)" and the like).
std::string msgCannotHoldInCp932(const Cp932Problem& problem, std::string_view utf8Form);

}  // namespace core
