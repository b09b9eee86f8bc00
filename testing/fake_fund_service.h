#pragma once
// A fake fund-data service on loopback, answering the two requests the query
// makes: "/js/fundcode_search.js" (UTF-8 JavaScript, about 2 MB by default)
// and "/f10/F10DataApi.aspx" (one table page, honouring code, page, sdate and
// edate). Like the real service it cuts pages by its own size and may ignore
// "per". It can delay every answer and logs every request.

#include <cstddef>
#include <string>
#include <vector>

#include "testing/fake_fund_data.h"
#include "testing/loopback_server.h"

namespace testing_support {

struct FakeFundServiceOptions {
  int pageSize = 20;            // the service's own page size
  bool honourPer = false;       // true: "per" sets the page size instead
  int latencyMilliseconds = 0;  // delay before every answer
  std::size_t scriptBytes = 2'000'000;
};

class FakeFundService {
 public:
  explicit FakeFundService(FakeFundData data, FakeFundServiceOptions options = {});

  // "http://127.0.0.1:<port>", the base the query composes its addresses on.
  std::string BaseUrl() const { return server_.BaseUrl(); }
  std::vector<HttpRequest> Requests() const { return server_.Requests(); }
  std::size_t RequestCount() const { return server_.RequestCount(); }
  // The request targets in order ("/js/fundcode_search.js", "/f10/...").
  std::vector<std::string> RequestTargets() const;
  const FakeFundData& data() const { return data_; }

 private:
  ResponseScript Answer(const HttpRequest& request) const;

  FakeFundData data_;
  FakeFundServiceOptions options_;
  std::string script_;
  LoopbackServer server_;
};

// A base URL on which nothing listens (a port that was free a moment ago).
std::string UnreachableBaseUrl();

// The value of `key` in the query part of `target`, percent-decoded; empty
// when absent. `present` tells absent from empty.
std::string QueryValue(const std::string& target, const std::string& key, bool* present = nullptr);

}  // namespace testing_support
