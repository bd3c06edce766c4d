// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The request bodies the server holds at once: their bytes from every connection together, and how many one
// address sends at a time. A body's announced length is taken before a byte of it is read and given back once it
// is answered, so that any number of uploads stalled one byte short hold no more than the budget, and one address
// cannot take all of it.

#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>

#include "Metrics.h"

namespace gw::scores {

class UploadBudget {
 public:
  enum class Refusal { None, Bytes, Address };

  // One body's share; given back when the lease is released or ends. Must not outlive its budget.
  class Lease {
   public:
    Lease() = default;
    Lease(Lease&& other) noexcept;
    Lease& operator=(Lease&& other) noexcept;
    ~Lease() { Release(); }
    void Release();
    bool Held() const { return budget_ != nullptr; }

   private:
    friend class UploadBudget;
    UploadBudget* budget_ = nullptr;
    std::string address_;
    std::size_t bytes_ = 0;
  };

  // The bytes held are shown in `metrics`.
  UploadBudget(std::size_t bytes, std::size_t uploadsPerAddress, Metrics& metrics)
      : capacity_(bytes), perAddress_(uploadsPerAddress), metrics_(metrics) {}
  UploadBudget(const UploadBudget&) = delete;
  UploadBudget& operator=(const UploadBudget&) = delete;

  // Takes `bytes` for an upload from `address` into `lease` (giving back what it held), or says which limit the
  // upload would break and leaves the lease empty.
  Refusal Take(const std::string& address, std::size_t bytes, Lease& lease);

 private:
  void Give(const std::string& address, std::size_t bytes);

  const std::size_t capacity_;
  const std::size_t perAddress_;
  Metrics& metrics_;
  std::mutex lock_;
  std::size_t held_ = 0;
  std::unordered_map<std::string, std::size_t> uploads_;  // by address, only those with one at least
};

}  // namespace gw::scores
