#include "testing/fake_fund_service.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace testing_support {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecode(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string PathOf(const std::string& target) { return target.substr(0, target.find('?')); }

}  // namespace

std::string QueryValue(const std::string& target, const std::string& key, bool* present) {
  if (present != nullptr) *present = false;
  const std::size_t question = target.find('?');
  if (question == std::string::npos) return "";
  std::size_t at = question + 1;
  while (at <= target.size()) {
    std::size_t end = target.find('&', at);
    if (end == std::string::npos) end = target.size();
    const std::string pair = target.substr(at, end - at);
    const std::size_t equals = pair.find('=');
    const std::string name = pair.substr(0, equals);
    if (name == key) {
      if (present != nullptr) *present = true;
      return equals == std::string::npos ? "" : PercentDecode(pair.substr(equals + 1));
    }
    at = end + 1;
  }
  return "";
}

FakeFundService::FakeFundService(FakeFundData data, FakeFundServiceOptions options)
    : data_(std::move(data)),
      options_(options),
      script_(data_.FundListScript(options.scriptBytes)),
      server_([this](const HttpRequest& request) { return Answer(request); }) {}

std::vector<std::string> FakeFundService::RequestTargets() const {
  std::vector<std::string> targets;
  for (const HttpRequest& request : server_.Requests()) targets.push_back(request.target);
  return targets;
}

ResponseScript FakeFundService::Answer(const HttpRequest& request) const {
  ResponseScript script;
  if (options_.latencyMilliseconds > 0) script.push_back(Pause(options_.latencyMilliseconds));
  const std::string path = PathOf(request.target);
  if (path == "/js/fundcode_search.js") {
    script.push_back(Send(ResponseBytes(
        200, "OK", {{"Content-Type", "application/javascript; charset=utf-8"}}, script_)));
  } else if (path == "/f10/F10DataApi.aspx") {
    const std::string& target = request.target;
    const int page = std::atoi(QueryValue(target, "page").c_str());
    const int per = std::atoi(QueryValue(target, "per").c_str());
    const int pageSize = options_.honourPer && per > 0 ? per : options_.pageSize;
    const std::string body =
        data_.TablePage(QueryValue(target, "code"), page < 1 ? 1 : page, pageSize,
                        QueryValue(target, "sdate"), QueryValue(target, "edate"));
    script.push_back(
        Send(ResponseBytes(200, "OK", {{"Content-Type", "text/html; charset=utf-8"}}, body)));
  } else {
    script.push_back(Send(ResponseBytes(404, "Not Found", {}, "not found")));
  }
  return script;
}

std::string UnreachableBaseUrl() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  int port = 1;  // nothing listens on port 1 on a test machine
  if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  if (fd >= 0) ::close(fd);
  return "http://127.0.0.1:" + std::to_string(port);
}

}  // namespace testing_support
