// SPDX-License-Identifier: GPL-3.0-or-later
#include "UploadBudget.h"

#include <utility>

namespace gw::scores {

UploadBudget::Lease::Lease(Lease&& other) noexcept
    : budget_(std::exchange(other.budget_, nullptr)), address_(std::move(other.address_)), bytes_(other.bytes_) {}

UploadBudget::Lease& UploadBudget::Lease::operator=(Lease&& other) noexcept {
  if (this != &other) {
    Release();
    budget_ = std::exchange(other.budget_, nullptr);
    address_ = std::move(other.address_);
    bytes_ = other.bytes_;
  }
  return *this;
}

void UploadBudget::Lease::Release() {
  if (UploadBudget* budget = std::exchange(budget_, nullptr)) budget->Give(address_, bytes_);
}

UploadBudget::Refusal UploadBudget::Take(const std::string& address, std::size_t bytes, Lease& lease) {
  lease.Release();
  std::lock_guard guard(lock_);
  const auto it = uploads_.find(address);
  if ((it == uploads_.end() ? 0 : it->second) >= perAddress_) return Refusal::Address;
  if (bytes > capacity_ - held_) return Refusal::Bytes;
  held_ += bytes;
  metrics_.BodyBytes(static_cast<std::int64_t>(bytes));
  ++uploads_[address];
  lease.budget_ = this;
  lease.address_ = address;
  lease.bytes_ = bytes;
  return Refusal::None;
}

void UploadBudget::Give(const std::string& address, std::size_t bytes) {
  std::lock_guard guard(lock_);
  held_ -= bytes;
  metrics_.BodyBytes(-static_cast<std::int64_t>(bytes));
  const auto it = uploads_.find(address);
  if (it != uploads_.end() && --it->second == 0) uploads_.erase(it);
}

}  // namespace gw::scores
