// Bytes a server or a participant might send, through the frame reader and
// the dispatcher. The first byte picks the receive limits (a conference's or
// the wider defaults), the largest piece one read hands out and the role;
// the rest is what the connection delivers.
#include "conf_dpy_data.h"
#include "conference_doubles.h"
#include "conference_session.h"
#include "data_to_message.h"
#include "fuzz_entries.h"
#include "fuzzed_connection.h"
#include "sdk/plugin_state.h"
#include "srv_con.h"
#include "tl_msg.h"
#include "tlm_messages.h"

#include <cstring>
#include <string_view>

namespace kvx::fuzz {
namespace {

using namespace conf;

// The server's view of a message: every class read, described, and built
// again as it would be passed on.
int passOn(ConferenceSession&, int type, TlmData& object) {
  (void)object.dump();
  if (auto* shout = dynamic_cast<TlmShout*>(&object)) (void)std::strlen(shout->text());
  return dataToMessage(type, object) ? 0 : -1;
}

template <class Message>
std::unique_ptr<TlmData> make() {
  return std::make_unique<Message>();
}

const SrvCon::Entry kEveryClass[] = {
    {kTlmConnectNexus, &make<TlmConnectNexus>, &passOn}, {kTlmShout, &make<TlmShout>, &passOn},
    {kTlmWantMaster, &make<TlmSimple>, &passOn},         {kTlmReleaseMaster, &make<TlmSimple>, &passOn},
    {kTlmNowMaster, &make<TlmSimple>, &passOn},          {kTlmFullManipInfo, &make<TlmFullManipInfo>, &passOn},
    {kTlmViewAck, &make<TlmSimple>, &passOn},
};

}  // namespace

int conference_frames(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t mode = data[0];
  const bool conferenceLimits = mode & 1;
  const bool serverSide = mode & 2;
  const int maxPiece = 1 + ((mode >> 2) & 0x1F) * 7;
  if (conferenceLimits)
    setReceiveLimits(kConferenceMaxLength, kConferenceMaxType);
  else
    setReceiveLimits(kDefaultMaxLength, kDefaultMaxType);
  FuzzedConnection connection(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1), maxPiece);

  test::RecordedEvents events;
  test::NoConnector connector;
  test::RecordingSdk sdk;
  test::StandInFrame frame;
  kvx_ManipInfo manip = {};
  kvx_FrameInfo frameInfo = {640, 480, 0, 0, 320, 240};
  sdk.state().manip = &manip;
  sdk.state().frame = &frameInfo;
  manip.fieldOfView = 32;
  ConfDpyData view{&frame, &sdk, &manip, &frameInfo};
  ConferenceSession session{events, connector, &view};
  session.attach(connection, mode & 0x80);

  if (serverSide) {
    while (!connection.exhausted()) {
      TlMsg message;
      if (receiveFrame(connection, message) < 0) break;
      protoswitch(session, kEveryClass, static_cast<int>(std::size(kEveryClass)), message.type(),
                  message.payloadLength(), message.payload());
    }
  } else {
    while (session.isConnected() && !connection.exhausted()) session.onInput();
  }
  setReceiveLimits(kDefaultMaxLength, kDefaultMaxType);
  return 0;
}

}  // namespace kvx::fuzz
