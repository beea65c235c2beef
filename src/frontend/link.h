// The UDP link to a graphical front end.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zivrat {

// Program start: enters front-end mode when "GUIZIVRAT" is set, binds the
// socket and waits for the connect request. Raises PlainMessage on failure.
void detectFrontEnd();
bool frontEndMode();

// Serves start requests until the front end ends the conversation. Besides
// the requests every front end sends, "__result__" is answered with
// "__result__" and the last run's result as decimal text.
void serveRequests();

// The same, with `run` making each run instead of runFromCommandLine (a
// stand-in run lets the link be exercised on its own).
using RunRequest = std::function<int(const std::vector<std::string>&)>;
void serveRequests(const RunRequest& run);

// Polled by long loops: raises UserBreak when the front end asked to stop.
void checkBreak();

// Sends what currentOutput holds as one text, and starts an empty buffer.
void deliverOutput();

// Delivers what is pending, says goodbye and closes the socket.
void closeFrontEnd();

}  // namespace zivrat
