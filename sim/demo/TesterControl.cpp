#include "sim/TesterControl.h"

#include "sim/UnixCommand.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <vector>

namespace sim {
namespace {

// Long enough for `ip` to run on a loaded machine.
constexpr std::chrono::milliseconds kCommandPatience{10000};

std::vector<std::string> Words(const std::string& line) {
    std::string lower = line;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    std::istringstream in(lower);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// The ports a word names: Port A, Port B or both; empty for anything else.
std::vector<int> Ports(const std::string& word) {
    if (word == "a") return {0};
    if (word == "b") return {1};
    if (word == "both") return {0, 1};
    return {};
}

const char kHelp[] =
    "ok: commands: lose | return | link a|b|both up|down | burst a|b|both | status | help";

}  // namespace

std::string HostSideOf(const std::string& deviceInterface) {
    if (deviceInterface.size() < 4 || deviceInterface.compare(0, 3, "bvd") != 0) return "";
    return "bvh" + deviceInterface.substr(3);
}

TesterControl::TesterControl(FullTester& tester, DemoTraffic* demo, std::string hostInterface)
    : tester_(tester), demo_(demo), hostInterface_(std::move(hostInterface)) {}

bool TesterControl::SetHostSide(bool up) {
    if (hostInterface_.empty()) return true;
    return RunUnixCommand("/usr/sbin/ip link set " + hostInterface_ + (up ? " up" : " down"), kCommandPatience);
}

bool TesterControl::Lose() {
    std::lock_guard<std::mutex> guard(lock_);
    tester_.Device().SetVanished(true);
    lost_ = true;
    return SetHostSide(false);
}

bool TesterControl::Return() {
    std::lock_guard<std::mutex> guard(lock_);
    const bool up = SetHostSide(true);
    tester_.Device().SetVanished(false);
    lost_ = false;
    return up;
}

bool TesterControl::Lost() const {
    std::lock_guard<std::mutex> guard(lock_);
    return lost_;
}

void TesterControl::SetLink(int port, bool up) {
    if (demo_ != nullptr) {
        demo_->SetLink(port, up);
        return;
    }
    LinkState link = tester_.Phys().Link(port);
    link.up = up;
    tester_.Phys().SetLink(port, link);
}

bool TesterControl::StartErrorBurst(int port) {
    if (demo_ == nullptr) return false;
    demo_->StartErrorBurst(port);
    return true;
}

std::string TesterControl::Status() const {
    std::ostringstream out;
    out << "ok: " << tester_.Model().Identity().model << (Lost() ? " lost" : " answering");
    for (int port = 0; port < 2; ++port) {
        out << ", port " << char('A' + port) << " link " << (tester_.Phys().Link(port).up ? "up" : "down");
    }
    out << (demo_ != nullptr ? ", demonstration traffic" : ", light traffic");
    return out.str();
}

std::string TesterControl::Execute(const std::string& line) {
    const std::vector<std::string> words = Words(line);
    if (words.empty()) return "error: empty command; try help";
    const std::string& verb = words[0];
    if (words.size() == 1 && verb == "help") return kHelp;
    if (words.size() == 1 && verb == "status") return Status();
    if (words.size() == 1 && verb == "lose") {
        return Lose() ? "ok: tester lost" : "error: tester silent, but the host's side of the wire stayed up";
    }
    if (words.size() == 1 && verb == "return") {
        return Return() ? "ok: tester back" : "error: tester answers, but the host's side of the wire stayed down";
    }
    if (words.size() == 3 && verb == "link" && !Ports(words[1]).empty() && (words[2] == "up" || words[2] == "down")) {
        for (int port : Ports(words[1])) SetLink(port, words[2] == "up");
        return "ok: link " + words[1] + " " + words[2];
    }
    if (words.size() == 2 && verb == "burst" && !Ports(words[1]).empty()) {
        for (int port : Ports(words[1])) {
            if (!StartErrorBurst(port)) return "error: no demonstration traffic to carry the errors";
        }
        return "ok: error burst on " + words[1];
    }
    return "error: unknown command \"" + line + "\"; try help";
}

}  // namespace sim
