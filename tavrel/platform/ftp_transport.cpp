#include "tavrel/platform/ftp_transport.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "core/text/sjis.h"

namespace tavrel {

namespace {

// The step reached, from the commands curl sends: the failure is the step's.
enum class Step { Connect, Folder, Upload, Rename };

struct Progress {
    Step step = Step::Connect;
};

int watchCommands(CURL*, curl_infotype type, char* data, std::size_t size, void* user) {
    if (type != CURLINFO_HEADER_OUT) return 0;
    auto* progress = static_cast<Progress*>(user);
    const std::string_view command(data, size);
    auto is = [&](std::string_view verb) { return command.starts_with(verb); };
    if (is("CWD ")) {
        progress->step = Step::Folder;
    } else if (is("EPSV") || is("PASV") || is("PORT") || is("EPRT") || is("TYPE") || is("STOR")) {
        progress->step = Step::Upload;
    } else if (is("RNFR") || is("RNTO")) {
        progress->step = Step::Rename;
    }
    return 0;
}

std::size_t readFile(char* buffer, std::size_t size, std::size_t count, void* user) {
    auto* file = static_cast<std::FILE*>(user);
    if (!file) return CURL_READFUNC_ABORT;
    const std::size_t got = std::fread(buffer, size, count, file);
    if (got < count && std::ferror(file)) return CURL_READFUNC_ABORT;
    return got * size;
}

// One path segment of an FTP URL, percent-encoded.
std::string escaped(CURL* curl, const std::string& text) {
    char* e = curl_easy_escape(curl, text.c_str(), static_cast<int>(text.size()));
    std::string result = e ? e : "";
    curl_free(e);
    return result;
}

struct CurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct ListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using ListPtr = std::unique_ptr<curl_slist, ListDeleter>;

void append(ListPtr& list, const std::string& line) {
    list.reset(curl_slist_append(list.release(), line.c_str()));
}

// The server is spoken to in UTF-8, as the settings hold their texts.
std::string wire(const std::string& cp932) { return core::toUtf8Lossy(cp932); }

}  // namespace

CurlFtpTransport::CurlFtpTransport(int port, long connectTimeoutSeconds)
    : m_port(port), m_connectTimeout(connectTimeoutSeconds) {}

bool CurlFtpTransport::available() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ok;
}

UploadResult CurlFtpTransport::transfer(const FtpJob& job) {
    if (!available()) return UploadResult::NoConnection;
    // A line end inside a name would end the command early and start another one.
    auto hasLineEnd = [](const std::string& s) { return s.find_first_of("\r\n") != s.npos; };
    if (hasLineEnd(job.server) || hasLineEnd(job.user) || hasLineEnd(job.password)) {
        return UploadResult::NoConnection;
    }
    if (hasLineEnd(job.folder)) return UploadResult::FolderFailed;
    if (hasLineEnd(job.finalName)) return UploadResult::UploadFailed;
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) return UploadResult::NoConnection;
    // A file that does not open fails the upload step, after the connection and the folder,
    // as any other failure to send it.
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(job.localPath.c_str(), "rb"));
    long size = 0;
    if (file) {
        std::fseek(file.get(), 0, SEEK_END);
        size = std::max(0L, std::ftell(file.get()));
        std::rewind(file.get());
    }

    CURL* c = curl.get();
    const std::string url =
        "ftp://" + wire(job.server) + ":" + std::to_string(m_port) + "/" + escaped(c, job.tempName);
    const std::string user = wire(job.user);
    const std::string password = wire(job.password);
    // The folder is changed to as the server understands it (relative or absolute); the file
    // is then stored and renamed where that left us.
    ListPtr before;
    if (!job.folder.empty()) append(before, "CWD " + wire(job.folder));
    ListPtr after;
    append(after, "RNFR " + job.tempName);
    append(after, "RNTO " + job.finalName);
    Progress progress;

    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_USERAGENT, "Tavrel");
    curl_easy_setopt(c, CURLOPT_USERNAME, user.c_str());
    curl_easy_setopt(c, CURLOPT_PASSWORD, password.c_str());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, m_connectTimeout);
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, 60L);
    curl_easy_setopt(c, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    if (!job.passive) curl_easy_setopt(c, CURLOPT_FTPPORT, "-");
    curl_easy_setopt(c, CURLOPT_TRANSFERTEXT, 0L);  // image: no line-end conversion
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_READFUNCTION, readFile);
    curl_easy_setopt(c, CURLOPT_READDATA, file.get());
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
    if (before) curl_easy_setopt(c, CURLOPT_QUOTE, before.get());
    curl_easy_setopt(c, CURLOPT_POSTQUOTE, after.get());
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, watchCommands);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, &progress);
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);

    if (curl_easy_perform(c) == CURLE_OK) return UploadResult::Done;
    switch (progress.step) {
        case Step::Connect:
            return UploadResult::NoConnection;
        case Step::Folder:
            return UploadResult::FolderFailed;
        case Step::Upload:
            return UploadResult::UploadFailed;
        case Step::Rename:
            return UploadResult::RenameFailed;
    }
    return UploadResult::UploadFailed;
}

}  // namespace tavrel
