// SPDX-License-Identifier: GPL-2.0-or-later
// A library loaded at run time (dlopen), closed with its owner, so programs start where a
// desktop library is absent.
#pragma once

#include <dlfcn.h>

namespace qor {

class SharedLibrary {
 public:
  explicit SharedLibrary(const char* soname) : handle_(::dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {}
  ~SharedLibrary() {
    if (handle_) ::dlclose(handle_);
  }
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;
  explicit operator bool() const { return handle_ != nullptr; }
  // Binds `fn` to the symbol; false when it is missing.
  template <typename Fn>
  bool bind(Fn*& fn, const char* name) {
    fn = handle_ ? reinterpret_cast<Fn*>(::dlsym(handle_, name)) : nullptr;
    return fn != nullptr;
  }

 private:
  void* handle_;
};

}  // namespace qor
