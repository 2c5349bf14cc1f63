// A fresh folder under the system's temporary folder for one test, removed with everything in it
// when the test ends. Each folder gets a unique name, so tests may run side by side. Files are
// written as raw bytes, or as lines given in UTF-8 turned into CP932 with CR LF, the way record
// files reach the programs.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/text/sjis.h"

namespace testsupport {

class TempFolder {
public:
    explicit TempFolder(std::string_view name = "tavrel-test") {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / (std::string(name) + "-XXXXXX")).string();
        if (::mkdtemp(tmpl.data()) != nullptr) m_path = tmpl;
    }
    ~TempFolder() {
        std::error_code ec;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string path() const { return m_path.string(); }
    std::string file(std::string_view relative) const { return (m_path / relative).string(); }

    // Writes lines given in UTF-8 as CP932 with CR LF; returns the file's path.
    std::string write(std::string_view relative, const std::vector<std::string>& utf8Lines) const {
        std::string text;
        for (const std::string& l : utf8Lines) text += std::string(l) + "\r\n";
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
    std::filesystem::path m_path;
};

}  // namespace testsupport
