#include "session.h"

#include "byte_stream.h"
#include "conference.h"
#include "conference_server.h"
#include "tlm_messages.h"

namespace kvx::server {

using namespace kvx::conf;

Session::Session(asio::ip::tcp::socket socket, ConferenceServer& server)
    : socket_(std::move(socket)), server_(server), loginTimer_(socket_.get_executor()),
      answerTimer_(socket_.get_executor()) {
  asio::error_code ignored;
  const auto remote = socket_.remote_endpoint(ignored);
  address_ = remote.address().to_string();
  peer_ = (remote.address().is_v6() ? "[" + address_ + "]" : address_) + ":" + std::to_string(remote.port());
  socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
  socket_.non_blocking(true, ignored);
}

void Session::start(std::chrono::seconds loginTimeout) {
  loginTimer_.expires_after(loginTimeout);
  loginTimer_.async_wait([self = shared_from_this(), loginTimeout](const asio::error_code& error) {
    if (!error && !self->conference)
      self->drop("no login within " + std::to_string(loginTimeout.count()) + " s");
  });
  readHeader();
}

void Session::readHeader() {
  if (closed_ || paused_) return;
  asio::async_read(socket_, asio::buffer(head_), [self = shared_from_this()](const asio::error_code& error, size_t) {
    if (self->closed_) return;
    if (error) {
      self->drop(error == asio::error::eof ? "" : "read error: " + error.message());
      return;
    }
    const int type = (self->head_[0] << 8) | self->head_[1];
    const int length = (self->head_[2] << 8) | self->head_[3];
    if (length > kConferenceMaxLength)
      return self->drop("frame length " + std::to_string(length) + " above " + std::to_string(kConferenceMaxLength));
    if (type > kConferenceMaxType)
      return self->drop("frame type " + std::to_string(type) + " above " + std::to_string(kConferenceMaxType));
    const int size = kFrameHeaderSize + length;
    if (size <= kMinFrameSize) {
      self->handle(type, self->head_.data() + kFrameHeaderSize, length);
      self->readHeader();
    } else {
      self->readRest(type, size);
    }
  });
}

void Session::readRest(int type, int size) {
  frame_.assign(head_.begin(), head_.end());
  frame_.resize(size);
  asio::async_read(socket_, asio::buffer(frame_.data() + kMinFrameSize, size - kMinFrameSize),
                   [self = shared_from_this(), type, size](const asio::error_code& error, size_t) {
                     if (self->closed_) return;
                     if (error) return self->drop(error == asio::error::eof ? "" : "read error: " + error.message());
                     self->handle(type, self->frame_.data() + kFrameHeaderSize, size - kFrameHeaderSize);
                     self->readHeader();
                   });
}

void Session::handle(int type, const uint8_t* payload, int length) {
  std::unique_ptr<TlmData> message = makeMessageObject(type);
  if (!message) return drop("message type " + std::to_string(type) + " has no message class");
  ByteStreamIn in(payload, length);
  if (message->serialize(in) < 0) return drop("undecodable payload of message type " + std::to_string(type));
  if (type == kTlmConnectNexus) {
    server_.login(shared_from_this(), static_cast<TlmConnectNexus&>(*message));
  } else if (!conference) {
    drop("message type " + std::to_string(type) + " before login");
  } else {
    conference->handle(*this, type, *message, payload, length);
  }
}

void Session::answerAfter(std::chrono::milliseconds delay, std::vector<Frame> frames) {
  paused_ = true;
  answerTimer_.expires_after(delay);
  answerTimer_.async_wait([self = shared_from_this(), frames = std::move(frames)](const asio::error_code& error) {
    if (error || self->closed_) return;
    for (const Frame& frame : frames) self->send(frame);
    self->paused_ = false;
    self->readHeader();
  });
}

void Session::send(const Frame& frame) {
  if (closed_ || overflowing_ || !frame) return;
  if (queue_.size() >= kMaxQueuedFrames) return dropLater("not reading: more than " + std::to_string(kMaxQueuedFrames) +
                                                          " frames queued");
  queue_.push_back(frame);
  if (!waitingToWrite_) flush();
}

void Session::dropLater(const std::string& reason) {
  // Dropped from a handler of its own, so that a relay loop over the
  // members never sees one leave under its feet.
  overflowing_ = true;
  asio::post(socket_.get_executor(), [self = shared_from_this(), reason] { self->drop(reason); });
}

void Session::flush() {
  // Writes at once what the socket takes, all queued frames gathered into
  // one call; waits for the socket only when it is full.
  while (!queue_.empty()) {
    std::vector<asio::const_buffer> buffers;
    buffers.reserve(queue_.size());
    for (const Frame& frame : queue_) buffers.push_back(asio::buffer(*frame));
    buffers.front() += frontWritten_;
    asio::error_code error;
    size_t written = socket_.write_some(buffers, error);
    if (error == asio::error::would_block || error == asio::error::try_again) break;
    if (error) return dropLater("write error: " + error.message());
    written += frontWritten_;
    while (!queue_.empty() && written >= queue_.front()->size()) {
      written -= queue_.front()->size();
      queue_.pop_front();
    }
    frontWritten_ = written;
  }
  if (queue_.empty()) return;
  waitingToWrite_ = true;
  socket_.async_wait(asio::ip::tcp::socket::wait_write, [self = shared_from_this()](const asio::error_code& error) {
    self->waitingToWrite_ = false;
    if (self->closed_) return;
    if (error) return self->drop("write error: " + error.message());
    self->flush();
  });
}

void Session::drop(const std::string& reason) {
  if (closed_) return;
  closed_ = true;
  if (!reason.empty()) server_.log().write(kLogRefusals, peer_ + " dropped: " + reason);
  asio::error_code ignored;
  loginTimer_.cancel();
  answerTimer_.cancel();
  socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
  socket_.close(ignored);
  queue_.clear();
  server_.leave(*this);
}

}  // namespace kvx::server
