// Test helpers: record files written into a temporary folder as CP932 with CR LF, the way
// record files reach the database.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/sjis.h"

namespace database::testing {

// A temporary folder removed with the object.
class TempFolder {
public:
    explicit TempFolder(std::string_view name) {
        m_path = std::filesystem::temp_directory_path() /
                 (std::string(name) + "_" + std::to_string(getpid()) + "_" +
                  std::to_string(s_counter++));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string path() const { return m_path.string(); }
    std::string file(std::string_view relative) const { return (m_path / relative).string(); }

    // Writes lines given in UTF-8 as CP932 with CR LF; returns the file's path.
    std::string write(std::string_view relative, const std::vector<std::string>& utf8Lines) const {
        std::string text;
        for (const std::string& l : utf8Lines) text += core::sjis(l) + "\r\n";
        return writeBytes(relative, text);
    }
    std::string writeBytes(std::string_view relative, std::string_view bytes) const {
        std::filesystem::path p = m_path / relative;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return p.string();
    }

private:
    static inline int s_counter = 0;
    std::filesystem::path m_path;
};

// Header lines of a KIF record; moves follow.
inline std::vector<std::string> kifHeader(std::string_view date = "2013/06/01",
                                          std::string_view black = "羽生善治",
                                          std::string_view white = "谷川浩司") {
    return {"開始日時：" + std::string(date),
            "棋戦：名人戦",
            "戦型：矢倉",
            "手合割：平手",
            "先手：" + std::string(black),
            "後手：" + std::string(white),
            "手数----指手---------消費時間--"};
}

// A KIF record: the header and the moves ("７六歩(77)", "投了" ...), numbered from 1.
inline std::vector<std::string> kifRecord(const std::vector<std::string>& moves,
                                          std::string_view date = "2013/06/01",
                                          std::string_view black = "羽生善治",
                                          std::string_view white = "谷川浩司") {
    std::vector<std::string> lines = kifHeader(date, black, white);
    for (std::size_t i = 0; i < moves.size(); ++i) {
        std::string n = std::to_string(i + 1);
        lines.push_back(std::string(4 - std::min<std::size_t>(n.size(), 4), ' ') + n + " " +
                        moves[i] + "   ( 0:00/00:00:00)");
    }
    return lines;
}

}  // namespace database::testing
