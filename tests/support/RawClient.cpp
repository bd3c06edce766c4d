// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/RawClient.h"

namespace gw::test {

SlowClients::SlowClients(std::uint16_t port, int count, int perAddress) : port_(port), perAddress_(perAddress) {
  for (int i = 0; i < count; ++i) {
    clients_.push_back(Join(i));
    if (!clients_.back()) ++failed_;
  }
  dribbler_ = std::thread([this] {
    std::unique_lock guard(lock_);
    while (!wake_.wait_for(guard, std::chrono::seconds(2), [this] { return stop_; })) {
      for (std::size_t i = 0; i < clients_.size(); ++i) {
        if (!clients_[i] || !clients_[i]->Send("X")) clients_[i] = Join(static_cast<int>(i));
      }
    }
  });
}

SlowClients::~SlowClients() {
  {
    std::lock_guard guard(lock_);
    stop_ = true;
  }
  wake_.notify_all();
  dribbler_.join();
}

std::unique_ptr<RawClient> SlowClients::Join(int i) {
  auto client = std::make_unique<RawClient>(port_, 2 + i / perAddress_);
  if (!client->Ok() || !client->Send(kHalfRequest)) return nullptr;
  return client;
}

}  // namespace gw::test
