// The front-end link: the input is a sequence of datagrams (one per line)
// that a front end sends; the link serves them with a stand-in run that
// polls for a break and echoes its arguments.
#include <sys/socket.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "frontend/link.h"
#include "frontend/socket.h"
#include "fuzz_support.h"
#include "ground/frontend_hooks.h"
#include "ground/messages.h"

namespace {

// Few enough datagrams that the link's receive buffer never drops one:
// a lost datagram would leave the link waiting for good.
constexpr std::size_t kMaxDatagrams = 16;
constexpr int kBreakPolls = 3;
constexpr const char* kEnd = "__fin__";

zivrat::Socket* frontEnd = nullptr;

int standInRun(const std::vector<std::string>& args) {
    for (int poll = 0; poll < kBreakPolls; ++poll) {
        zivrat::checkBreak();
        zivrat::currentOutput() << args[static_cast<std::size_t>(poll) % args.size()]
                                << zivrat::endLine;
    }
    return 0;
}

// Connects a front end of this process to the link, as the program start
// does with GUIZIVRAT set.
void connectLink() {
    static zivrat::Socket socket(0);
    frontEnd = &socket;
    int port = zivrat::Socket(0).localPort();
    ::setenv("GUIZIVRAT", std::to_string(port).c_str(), 1);
    std::thread link([] { zivrat::detectFrontEnd(); });
    socket.setPeer(port);
    for (;;) {
        socket.sendText("__start_cnx__");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (socket.isReadable() && socket.receiveText() == "__start_ok__") break;
    }
    link.join();
}

std::vector<std::string> datagramsOf(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> datagrams;
    std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start <= text.size() && datagrams.size() < kMaxDatagrams) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string datagram = text.substr(start, end - start);
        if (datagram.compare(0, 7, kEnd) != 0) datagrams.push_back(datagram);  // the end is ours
        start = end + 1;
    }
    return datagrams;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    zivrat::fuzz::prepareProcess();
    connectLink();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> datagrams = datagramsOf(data, size);
    for (const std::string& datagram : datagrams) frontEnd->sendText(datagram);
    // Every datagram may be taken as an argument or by a break poll before
    // the end is seen: enough ends that one is left for the request loop.
    std::size_t ends = datagrams.size() * (kBreakPolls + 1) + 2;
    for (std::size_t i = 0; i < ends; ++i) frontEnd->sendText(kEnd);
    zivrat::serveRequests(standInRun);
    // The ends left over, and the replies.
    for (std::size_t i = 0; i < ends; ++i) zivrat::checkBreak();
    while (frontEnd->isReadable()) frontEnd->receiveText();
    return 0;
}
