// The floor: libfprint's asynchronous API directly (direct_side.h).
#include "bench/direct_side.h"

#include <stdexcept>
#include <utility>

namespace velmora::bench {

DirectSide::DirectSide() : m_Context(fp_context_new()), m_Loop(g_main_context_new()) {
  GPtrArray* devices = fp_context_get_devices(m_Context);
  for (guint i = 0; devices != nullptr && i < devices->len && m_Device == nullptr; ++i) {
    auto* device = static_cast<FpDevice*>(g_ptr_array_index(devices, i));
    if (fp_device_has_feature(device, FP_DEVICE_FEATURE_CAPTURE)) m_Device = FP_DEVICE(g_object_ref(device));
  }
  if (m_Device == nullptr) throw std::runtime_error("libfprint lists no capture reader");
}

DirectSide::~DirectSide() {
  g_object_unref(m_Device);
  g_object_unref(m_Context);
  g_main_context_unref(m_Loop);
}

void DirectSide::Done(GObject*, GAsyncResult* result, gpointer self) {
  static_cast<DirectSide*>(self)->m_Result = G_ASYNC_RESULT(g_object_ref(result));
}

template <typename Start>
GAsyncResult* DirectSide::Await(Start start) {
  g_main_context_push_thread_default(m_Loop);
  start();
  while (m_Result == nullptr) g_main_context_iteration(m_Loop, TRUE);
  g_main_context_pop_thread_default(m_Loop);
  return std::exchange(m_Result, nullptr);
}

bool DirectSide::Connect() {
  GAsyncResult* result = Await([this] { fp_device_open(m_Device, nullptr, Done, this); });
  bool opened = fp_device_open_finish(m_Device, result, nullptr);
  g_object_unref(result);
  return opened;
}

bool DirectSide::Capture() {
  GAsyncResult* result = Await([this] { fp_device_capture(m_Device, TRUE, nullptr, Done, this); });
  FpImage* image = fp_device_capture_finish(m_Device, result, nullptr);
  g_object_unref(result);
  if (image != nullptr) g_object_unref(image);
  return image != nullptr;
}

bool DirectSide::Disconnect() {
  GAsyncResult* result = Await([this] { fp_device_close(m_Device, nullptr, Done, this); });
  bool closed = fp_device_close_finish(m_Device, result, nullptr);
  g_object_unref(result);
  return closed;
}

}  // namespace velmora::bench
