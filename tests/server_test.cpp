// novaflux serve (tests/data/server_cases.json): the router's answers in process, hostile bytes
// against a running server (which must go on rating correctly), 64 connections at once, and a
// stop while an answer streams.
#include <gtest/gtest.h>

#include <thread>

#include "server/api_router.hpp"
#include "support/files.hpp"
#include "support/server_process.hpp"
#include "support/test_data.hpp"

namespace novaflux {
namespace {

using json = nlohmann::ordered_json;
using namespace test_support;

const std::string kSource = NOVAFLUX_SOURCE_DIR "/";

std::string repeated(const std::string& unit, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += unit;
  return out;
}

// "<pad N>", "<headers N>", "<chunks N>" (chunks of 64 KiB) and "<nest N>" written out.
std::string expanded(std::string text) {
  const auto marker = text.find('<');
  const auto end = text.find('>', marker);
  if (marker == std::string::npos || end == std::string::npos || text[marker + 1] == '/') return text;
  const std::string what = text.substr(marker + 1, text.find(' ', marker) - marker - 1);
  const size_t n = std::stoul(text.substr(text.find(' ', marker) + 1));
  std::string fill;
  if (what == "pad") fill = std::string(n, 'a');
  else if (what == "headers") fill = repeated("X-A: 1\r\n", n);
  else if (what == "nest") fill = repeated("[", n);
  else if (what == "chunks") fill = repeated("10000\r\n" + std::string(0x10000, ' ') + "\r\n", n / 0x10000 + 1) + "0\r\n\r\n";
  else return text;
  return text.replace(marker, end - marker + 1, fill);
}

// A form of the unit's JSON and, when given, a weather file.
std::string form(const std::string& unit, const std::string& weather) {
  std::string body = "--XyZ\r\nContent-Disposition: form-data; name=\"unit\"; filename=\"unit.json\"\r\n"
                     "Content-Type: application/json\r\n\r\n" + unit + "\r\n";
  if (!weather.empty()) body += "--XyZ\r\nContent-Disposition: form-data; name=\"weather\"; filename=\"site.epw\"\r\n\r\n" + weather + "\r\n";
  return body + "--XyZ--\r\n";
}

class Routes : public ::testing::TestWithParam<json> {};

TEST_P(Routes, AnswerAsTheToolWould) {
  const json& c = GetParam();
  server::HttpRequest request;
  request.method = c["method"];
  request.target = c["target"];
  if (const std::string host = c.value("host", "localhost:8080"); !host.empty()) request.headers.emplace_back("Host", host);
  if (c.contains("authorization")) request.headers.emplace_back("Authorization", c["authorization"]);
  request.body = c.contains("body_file") ? read_bytes(kSource + c["body_file"].get<std::string>()) : expanded(c.value("body", ""));
  if (c.value("form", false) || c.contains("weather")) {
    const std::string weather = c.value("weather", "");
    request.body = form(request.body, weather.rfind("examples/", 0) == 0 ? read_bytes(kSource + weather) : weather);
    request.headers.emplace_back("Content-Type", "multipart/form-data; boundary=XyZ");
  }
  if (c.contains("content_type")) request.headers.emplace_back("Content-Type", c["content_type"]);
  const server::HttpResponse r = server::handle_request(request, {true, c.value("token", ""), 1});
  EXPECT_EQ(r.status, c["status"]) << r.body;
  if (c.contains("same_as")) {
    EXPECT_TRUE(r.body == read_bytes(kSource + c["same_as"].get<std::string>())) << r.body;
  }
  if (c.contains("text")) {
    EXPECT_NE(r.body.find(c["text"].get<std::string>()), std::string::npos) << r.body;
  }
  if (c.contains("field")) {
    EXPECT_EQ(json::parse(r.body).value("field", ""), c["field"]) << r.body;
  }
}

INSTANTIATE_TEST_SUITE_P(Server, Routes, ::testing::ValuesIn(rows("server_cases.json", "routes")),
                         [](const auto& info) { return info.param["name"].template get<std::string>(); });

class Transport : public ::testing::TestWithParam<json> {
protected:
  static void SetUpTestSuite() { server_ = new ServerProcess({"--read-timeout", "0.5"}); }
  static void TearDownTestSuite() {
    EXPECT_EQ(server_->stop(), 0);
    delete server_;
  }
  static std::string rate_design_day() {
    return body_of(exchange(server_->port(), http_request("POST", "/api/rate", read_bytes(kSource + "examples/si_design_day.json"))));
  }
  static ServerProcess* server_;
};
ServerProcess* Transport::server_ = nullptr;

// The hostile request gets its answer (or is dropped), and the next client is rated correctly.
TEST_P(Transport, HostileBytesThenACorrectRating) {
  const json& c = GetParam();
  const std::string answer = exchange(server_->port(), expanded(c["send"]), c.value("close", false), 3000);
  EXPECT_EQ(status_of(answer), c["status"]) << answer.substr(0, 300);
  EXPECT_TRUE(rate_design_day() == read_bytes(kSource + "examples/expected/si_design_day.json"));
}

INSTANTIATE_TEST_SUITE_P(Server, Transport, ::testing::ValuesIn(rows("server_cases.json", "transport")),
                         [](const auto& info) { return info.param["name"].template get<std::string>(); });

TEST(ServerLoad, SixtyFourConnectionsAtOnceAllRatedAlike) {
  ServerProcess server;
  const std::string request = http_request("POST", "/api/rate", read_bytes(kSource + "examples/si_design_day.json"));
  std::vector<std::string> answers(64);
  std::vector<std::thread> clients;
  for (auto& a : answers) clients.emplace_back([&] { a = exchange(server.port(), request); });
  for (auto& t : clients) t.join();
  const std::string expected = read_bytes(kSource + "examples/expected/si_design_day.json");
  for (const auto& a : answers) EXPECT_TRUE(status_of(a) == 200 && body_of(a) == expected) << a.substr(0, 200);
  EXPECT_EQ(server.stop(), 0);
}

// SIGTERM while a batch streams: the answer is completed, then the server exits 0.
TEST(ServerStop, FinishesTheAnswerInFlight) {
  ServerProcess server;
  Connection c(server.port());
  c.send(http_request("POST", "/api/batch", read_bytes(kSource + "examples/year_8760.csv")));
  std::string answer = c.receive(10000, 20);
  ASSERT_EQ(status_of(answer), 200) << answer;
  std::thread stop([&] { EXPECT_EQ(server.stop(), 0); });
  answer += c.receive(10000);
  stop.join();
  EXPECT_TRUE(body_of(answer) == read_bytes(kSource + "examples/expected/year_8760.csv"));
}

}  // namespace
}  // namespace novaflux
