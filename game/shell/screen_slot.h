// An owning slot for one screen object (editor, briefing, event script, ...). The slot
// learns how to destroy and update its object when the object is created, so the shell
// can hold, run and delete objects of classes that later parts of the game define.
#pragma once
#include <new>
#include <utility>

template <class T>
class ScreenSlot {
 public:
  ScreenSlot() = default;
  ScreenSlot(const ScreenSlot&) = delete;
  ScreenSlot& operator=(const ScreenSlot&) = delete;
  ~ScreenSlot() {
    Delete();
    DeleteRetired();
  }

  T* get() const { return object_; }
  T* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

  // Allocates and constructs the object; the slot stays empty when allocation fails.
  // An object the slot still held is retired rather than deleted at once: the code
  // asking for the new object may be running inside the old one.
  template <class... Args>
  T* Create(Args&&... args) {
    T* made = new (std::nothrow) T(std::forward<Args>(args)...);
    if (object_ != nullptr) {
      DeleteRetired();
      retired_ = object_;
      retiredDestroy_ = destroy_;
    }
    object_ = made;
    destroy_ = [](T* object) { delete object; };
    if constexpr (requires(T& object, int pad) { object.Update(pad); }) {
      update_ = [](T* object, int pad) { object->Update(pad); };
    } else {
      update_ = nullptr;
    }
    return made;
  }

  // Destroys the held object, if any; the slot is empty before its destructor runs.
  void Delete() {
    T* object = object_;
    object_ = nullptr;
    if (object != nullptr) destroy_(object);
  }

  // Empties the slot now and destroys its object at the end of the frame: a screen made by
  // another screen's per-frame function may retire its maker while that function runs.
  void Retire() {
    if (object_ == nullptr) return;
    DeleteRetired();
    retired_ = object_;
    retiredDestroy_ = destroy_;
    object_ = nullptr;
  }

  // Runs the object's per-frame function; an empty slot does nothing.
  void Update(int pad) {
    if (object_ != nullptr && update_ != nullptr) update_(object_, pad);
  }

  // Destroys an object replaced by Create, once nothing of it can be running.
  void DeleteRetired() {
    T* object = retired_;
    retired_ = nullptr;
    if (object != nullptr) retiredDestroy_(object);
  }

 private:
  T* object_ = nullptr;
  void (*destroy_)(T*) = nullptr;
  void (*update_)(T*, int) = nullptr;
  T* retired_ = nullptr;
  void (*retiredDestroy_)(T*) = nullptr;
};
