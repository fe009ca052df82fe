#pragma once
// The test update server (http_server.py) in a process of its own on
// 127.0.0.1, serving a folder; stopped when the object goes.

#include <QProcess>
#include <QString>
#include <filesystem>

namespace varnel::test {

class HttpServer {
public:
    explicit HttpServer(const std::filesystem::path& root);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    QString baseUrl() const;  // "http://127.0.0.1:<port>/"
    int port() const { return port_; }
    // Writes the behaviour rules (JSON object keyed by URL path).
    void setRules(const std::string& json) const;
    // The paths requested so far, one per line.
    std::string requests() const;

private:
    std::filesystem::path root_;
    QProcess process_;
    int port_ = 0;
};

}  // namespace varnel::test
