#include "support/http_server.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace varnel::test {

HttpServer::HttpServer(const std::filesystem::path& root) : root_(root) {
    std::filesystem::create_directories(root_);
    process_.setProgram("python3");
    process_.setArguments({QStringLiteral(VARNEL_TEST_SUPPORT_DIR "/http_server.py"),
                           QString::fromStdString(root_.string())});
    process_.start();
    if (!process_.waitForStarted(5000) || !process_.waitForReadyRead(10000))
        throw std::runtime_error("the test HTTP server did not start");
    const QByteArray line = process_.readLine().trimmed();
    if (!line.startsWith("PORT ")) throw std::runtime_error("the test HTTP server said: " + line.toStdString());
    port_ = line.mid(5).toInt();
}

HttpServer::~HttpServer() {
    process_.kill();
    process_.waitForFinished(5000);
}

QString HttpServer::baseUrl() const { return QStringLiteral("http://127.0.0.1:%1/").arg(port_); }

void HttpServer::setRules(const std::string& json) const {
    std::ofstream(root_ / ".rules.json", std::ios::trunc) << json;
}

std::string HttpServer::requests() const {
    std::ifstream in(root_ / ".requests.log");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace varnel::test
