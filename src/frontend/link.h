// The UDP link to a graphical front end.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zivrat {

// Program start: enters front-end mode when "GUIZIVRAT" is set, binds the
// socket, waits for the connect request and installs the front-end hooks
// (break poll, output delivery). Raises PlainMessage on failure.
void detectFrontEnd();
bool frontEndMode();

// Serves start requests, each made by `run` over the received argument
// vector, until the front end ends the conversation. Besides the requests
// every front end sends, "__result__" is answered with "__result__" and the
// last run's result as decimal text.
using RunRequest = std::function<int(const std::vector<std::string>&)>;
void serveRequests(const RunRequest& run);

// Delivers what is pending, says goodbye and closes the socket.
void closeFrontEnd();

}  // namespace zivrat
