#include "srv_con.h"

#include "byte_stream.h"
#include "conference_session.h"
#include "data_to_message.h"
#include "net_stream.h"
#include "services/debuglog.h"
#include "tl_msg.h"
#include "tlm_messages.h"

namespace kvx::conf {
namespace {

template <class Message>
std::unique_ptr<TlmData> make() {
  return std::make_unique<Message>();
}

int onLoginAnswer(ConferenceSession& s, int, TlmData& object) {
  return s.handleLoginAnswer(static_cast<TlmConnectNexus&>(object));
}
int onShout(ConferenceSession& s, int, TlmData& object) { return s.handleShout(static_cast<TlmShout&>(object)); }
int onSimple(ConferenceSession& s, int type, TlmData& object) {
  return s.process_Simple(type, static_cast<TlmSimple&>(object));
}
int onViewState(ConferenceSession& s, int, TlmData& object) {
  return s.handleViewState(static_cast<TlmFullManipInfo&>(object));
}

const SrvCon::Entry kClientTable[] = {
    {kTlmConnectNexus, &make<TlmConnectNexus>, &onLoginAnswer},
    {kTlmShout, &make<TlmShout>, &onShout},
    {kTlmReleaseMaster, &make<TlmSimple>, &onSimple},
    {kTlmNowMaster, &make<TlmSimple>, &onSimple},
    {kTlmWantMaster, &make<TlmSimple>, &onSimple},
    {kTlmFullManipInfo, &make<TlmFullManipInfo>, &onViewState},
};

}  // namespace

const SrvCon::Entry* clientDispatchTable(int& count) {
  count = static_cast<int>(std::size(kClientTable));
  return kClientTable;
}

int protoswitch(ConferenceSession& context, const SrvCon::Entry* table, int count, int type, int length,
                const uint8_t* payload) {
  const SrvCon::Entry* entry = nullptr;
  for (int i = 0; i < count && !entry; ++i)
    if (table[i].type == type) entry = &table[i];
  if (!entry) {
    KVX_LOG(LOG_ERROR, "protoswitch: unknown message type %d\n", type);
    return -1;
  }
  std::unique_ptr<TlmData> object = entry->factory();
  if (!object) {
    KVX_LOG(LOG_ERROR, "protoswitch: can't create input object for mestype %d\n", type);
    return -1;
  }
  ByteStreamIn in(payload, length);
  if (object->serialize(in) != 0) {
    KVX_LOG(LOG_ERROR, "protoswitch: can't deserialize mestype %d\n", type);
    return -1;
  }
  return entry->handler(context, type, *object);
}

SrvCon::SrvCon(NetStream& connection, ConferenceSession& context) : connection_(connection), context_(context) {}

int SrvCon::login(bool create, const std::string& hash, const std::string& password) {
  TlmConnectNexus request;
  request.status = 0;
  request.protocolLevel = kProtocolLevel;
  request.masterFlag = create ? 1 : 0;
  request.setFileHash(hash);
  request.setPassword(password);
  if (sendmessage(kTlmConnectNexus, request) != 0) {
    KVX_LOG(LOG_ERROR, "SrvCon::login: connect Message send failed\n");
    return -1;
  }
  while (loginState == kWaiting) {
    const int result = receiveOne();
    if (loginState == kRefused) {
      KVX_LOG(LOG_ERROR, "SrvCon::login: connection server error message\n");
      return -1;
    }
    if (result < 0) {
      KVX_LOG(LOG_ERROR, "SrvCon::login: message receive failed\n");
      return -1;
    }
  }
  return 1;
}

int SrvCon::sendmessage(int type, TlmData& object) {
  auto frame = dataToMessage(type, object);
  if (!frame) {
    KVX_LOG(LOG_ERROR, "SrvCon::sendmessage: Serialization failed\n");
    return -1;
  }
  connection_.setNotify(false);
  int result = 0;
  while (!frame->complete()) {
    result = frame->writeStep(connection_);
    if (result <= 0) break;
  }
  connection_.setNotify(true);
  if (!frame->complete()) {
    KVX_LOG(LOG_ERROR, "SrvCon::sendmessage: network write failed, return %d\n", result);
    return -1;
  }
  return 0;
}

int SrvCon::receiveOne() {
  TlMsg message;
  if (receiveFrame(connection_, message) < 0) return -1;
  int count = 0;
  const Entry* table = clientDispatchTable(count);
  return protoswitch(context_, table, count, message.type(), message.payloadLength(), message.payload());
}

}  // namespace kvx::conf
