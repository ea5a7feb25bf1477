// The texts of the commands that draw off-screen, shared by kvx, which
// hands these commands on, and kvx-draw, which runs them.
#include "drawing_commands.h"

#include <cstring>
#include <stdexcept>

namespace kvx::tool {
namespace {

// The run function of each is filled in by the program that registers it.
constexpr Command kDrawingCommands[] = {
    {"capture",
     "[--frame N] [--raw RAW.kvx] [--reference PROGRAM.png] -o OUT.kvx -- PROGRAM [ARGS...]\n"
     "       kvx capture --attach -- PROGRAM [ARGS...]",
     "run an OpenGL program with the capture interceptor and save one frame as a scene",
     "  -o OUT.kvx          the optimised scene to write\n"
     "  --frame N           the frame to capture, counted from the program's start (default 5)\n"
     "  --raw RAW.kvx       also keep the raw capture, before optimisation\n"
     "  --reference P.png   also save the program's own picture of that frame\n"
     "  --attach            run PROGRAM with the interceptor for Kavrik's Capture menu and\n"
     "                      wait for it to end, instead of capturing at once\n"
     "  -- PROGRAM [ARGS]   the program to run and its arguments\n",
     nullptr},
    {"conference",
     "HOST[:PORT] --file SCENE.kvx [--password PW] --pseudo NAME [--create] [--proxy HOST:PORT [--proxy-user U "
     "[--proxy-password P]]] [--after-views N] [--chat TEXT]... [--become-master] [--views N] [--release yes|no] "
     "[--linger SECONDS] [--snapshot OUT.png]",
     "join a conference as a headless participant; events as JSON lines",
     "  HOST[:PORT]            the conference server (port 443 when none is given)\n"
     "  --file SCENE.kvx       the scene every member has open; it names the conference\n"
     "  --password PW          the conference password (or KAVRIK_CONFERENCE_PASSWORD)\n"
     "  --pseudo NAME          the name the other members see\n"
     "  --create               create the conference and become its master\n"
     "  --proxy HOST:PORT      connect through an HTTP proxy\n"
     "  --proxy-user U         the proxy login, used when the proxy asks for one\n"
     "  --proxy-password P     its password (or KAVRIK_PROXY_PASSWORD)\n"
     "  --after-views N        first wait until N view states were applied (at most 30 s)\n"
     "  --chat TEXT            send a chat line (repeatable)\n"
     "  --become-master        request the master role and wait for it (at most 10 s)\n"
     "  --views N              as master, send N view states, each a small turn of the view\n"
     "  --release yes|no       the answer to release requests (default yes)\n"
     "  --linger SECONDS       stay connected this long, applying view states (default 0)\n"
     "  --snapshot OUT.png     render the view as applied to a PNG before leaving\n"
     "Exit status: 0 done, 1 connection, proxy or login failed or connection lost, 2 usage,\n"
     "3 the proxy needs a login and none was given, 4 a scripted step could not be done.\n",
     nullptr},
    {"render", "FILE -o OUT.png [--size WxH] [--view fit|top|front|right|left|back|bottom|camera] [--pass PHRASE]",
     "draw one frame of a scene file or a model off-screen into a PNG",
     "  FILE            the scene file (.kvx) or model (glTF, OBJ, STL, PLY, ...) to draw\n"
     "  -o OUT.png      the picture to write; its folder must exist\n"
     "  --size WxH      picture size in pixels, 1 to 16384 each (default 800x600)\n"
     "  --view NAME     fit: the whole scene from the fitted angle; top, front, right, left,\n"
     "                  back, bottom: that predefined view; camera: the view the file opens\n"
     "                  with (default)\n"
     "  --pass PHRASE   the pass phrase of an enciphered file\n",
     nullptr},
};

}  // namespace

Command drawingCommand(const char* name, int (*run)(const std::vector<std::string>&)) {
  for (Command command : kDrawingCommands) {
    if (std::strcmp(command.name, name) != 0) continue;
    command.run = run;
    return command;
  }
  throw std::logic_error(std::string("no drawing command ") + name);
}

}  // namespace kvx::tool
