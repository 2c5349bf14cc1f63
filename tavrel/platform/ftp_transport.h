// The FTP transfer over libcurl: log in, change to the folder, store the file as an image under
// its temporary name, rename it. Which command failed decides the result. Blocking: it runs on
// a worker thread, never on the window's.
#pragma once

#include "tavrel/logic/output/ftp_upload.h"

namespace tavrel {

class CurlFtpTransport : public FtpTransport {
public:
    // port: 21; tests use a server of their own on another port.
    explicit CurlFtpTransport(int port = 21, long connectTimeoutSeconds = 20);
    bool available() override;
    UploadResult transfer(const FtpJob& job) override;

private:
    int m_port;
    long m_connectTimeout;
};

}  // namespace tavrel
