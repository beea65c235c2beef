// The UDP link to a graphical front end.
#pragma once

namespace zivrat {

// Program start: enters front-end mode when "GUIZIVRAT" is set, binds the
// socket and waits for the connect request. Raises PlainMessage on failure.
void detectFrontEnd();
bool frontEndMode();

// Serves start requests until the front end ends the conversation.
void serveRequests();

// Polled by long loops: raises UserBreak when the front end asked to stop.
void checkBreak();

// Delivers what is pending, says goodbye and closes the socket.
void closeFrontEnd();

}  // namespace zivrat
