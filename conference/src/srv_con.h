#pragma once
// The client end of a conference connection: login, sending, and reading
// and dispatching one message at a time through a type table.
#include <cstdint>
#include <memory>
#include <string>

namespace kvx::conf {

class ConferenceSession;
class NetStream;
class TlmData;

class SrvCon {
 public:
  using Factory = std::unique_ptr<TlmData> (*)();
  using Handler = int (*)(ConferenceSession& context, int type, TlmData& object);
  struct Entry {
    int type;
    Factory factory;
    Handler handler;
  };
  enum LoginState { kWaiting = 0, kAccepted = 1, kRefused = 2 };

  SrvCon(NetStream& connection, ConferenceSession& context);

  // 1 when the server accepts, -1 otherwise.
  int login(bool create, const std::string& hash, const std::string& password);
  // 0, or -1 when the message cannot be built or written.
  int sendmessage(int type, TlmData& object);
  // Reads one whole frame and dispatches it: the handler's result, or -1.
  int receiveOne();

  int loginState = kWaiting;
  bool isMaster = false;

 private:
  NetStream& connection_;
  ConferenceSession& context_;
};

// The client's type table: 1, 3, 5, 6, 4, 7, searched in that order.
const SrvCon::Entry* clientDispatchTable(int& count);

// Finds the entry for `type`, makes and decodes its object from the payload
// and calls the handler: its result, or -1 (logged) when any step fails.
int protoswitch(ConferenceSession& context, const SrvCon::Entry* table, int count, int type, int length,
                const uint8_t* payload);

}  // namespace kvx::conf
