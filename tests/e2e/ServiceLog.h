// What the stand-in share service has been asked, read from its request log
// (SHARE_SERVICE_LOG, set by in_share_netns.sh): one JSON object a request
// with its method, path, headers and body, oldest first.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

inline bool InShareNetns() { return std::getenv("SHARE_SERVICE_LOG") != nullptr; }

inline std::vector<nlohmann::json> ServiceRequests() {
  std::vector<nlohmann::json> requests;
  const char* log = std::getenv("SHARE_SERVICE_LOG");
  if (log == nullptr) return requests;
  std::ifstream in(log);
  for (std::string line; std::getline(in, line);) requests.push_back(nlohmann::json::parse(line));
  return requests;
}

// The requests made since it was created.
class ServiceLogMark {
 public:
  ServiceLogMark() : before_(ServiceRequests().size()) {}
  std::vector<nlohmann::json> NewRequests() const {
    std::vector<nlohmann::json> all = ServiceRequests();
    return {all.begin() + static_cast<long>(before_), all.end()};
  }

 private:
  std::size_t before_;
};
