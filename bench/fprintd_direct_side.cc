// The floor of the fprintd benchmark (fprintd_direct_side.h).
#include "bench/fprintd_direct_side.h"

#include <string.h>

#include <stdexcept>

namespace velmora::bench {
namespace {

constexpr const char* kName = "net.reactivated.Fprint";
constexpr const char* kDevice = "net.reactivated.Fprint.Device";

void SetResult(GObject*, GAsyncResult* result, gpointer slot) {
  *static_cast<GAsyncResult**>(slot) = G_ASYNC_RESULT(g_object_ref(result));
}

}  // namespace

FprintdDirectSide::FprintdDirectSide() : m_Loop(g_main_context_new()) {
  g_autofree char* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SYSTEM, nullptr, nullptr);
  auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                 G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
  if (address != nullptr)
    m_Bus = g_dbus_connection_new_for_address_sync(address, flags, nullptr, nullptr, nullptr);
  if (m_Bus == nullptr) throw std::runtime_error("no system bus");
  g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
      m_Bus, kName, "/net/reactivated/Fprint/Manager", "net.reactivated.Fprint.Manager", "GetDevices",
      nullptr, G_VARIANT_TYPE("(ao)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
  g_autoptr(GVariantIter) devices = nullptr;
  const char* first = nullptr;
  if (reply != nullptr) g_variant_get(reply, "(ao)", &devices);
  if (devices == nullptr || !g_variant_iter_next(devices, "&o", &first))
    throw std::runtime_error("no device");
  m_Device = first;
}

FprintdDirectSide::~FprintdDirectSide() {
  g_clear_object(&m_Bus);
  g_main_context_unref(m_Loop);
}

bool FprintdDirectSide::Call(const char* method, GVariant* args) {
  GAsyncResult* result = nullptr;
  g_main_context_push_thread_default(m_Loop);
  g_dbus_connection_call(m_Bus, kName, m_Device.c_str(), kDevice, method, args, nullptr,
                         G_DBUS_CALL_FLAGS_NONE, -1, nullptr, SetResult, &result);
  while (result == nullptr) g_main_context_iteration(m_Loop, TRUE);
  g_main_context_pop_thread_default(m_Loop);
  g_autoptr(GVariant) reply = g_dbus_connection_call_finish(m_Bus, result, nullptr);
  g_object_unref(result);
  return reply != nullptr;
}

void FprintdDirectSide::OnStatus(GDBusConnection*, const char*, const char*, const char*, const char*,
                                 GVariant* parameters, gpointer self) {
  auto* side = static_cast<FprintdDirectSide*>(self);
  const char* status = nullptr;
  gboolean done = FALSE;
  g_variant_get(parameters, "(&sb)", &status, &done);
  if (!done) return;
  side->m_Ended = true;
  side->m_Matched = strcmp(status, "verify-match") == 0;
}

bool FprintdDirectSide::Connect() { return Call("Claim", g_variant_new("(s)", "")); }

bool FprintdDirectSide::Capture() {
  m_Ended = m_Matched = false;
  g_main_context_push_thread_default(m_Loop);
  guint subscription =
      g_dbus_connection_signal_subscribe(m_Bus, kName, kDevice, "VerifyStatus", m_Device.c_str(), nullptr,
                                         G_DBUS_SIGNAL_FLAGS_NONE, OnStatus, this, nullptr);
  bool started = Call("VerifyStart", g_variant_new("(s)", "any"));
  while (started && !m_Ended) g_main_context_iteration(m_Loop, TRUE);
  g_dbus_connection_signal_unsubscribe(m_Bus, subscription);
  g_main_context_pop_thread_default(m_Loop);
  return Call("VerifyStop", nullptr) && m_Matched;
}

bool FprintdDirectSide::Disconnect() { return Call("Release", nullptr); }

}  // namespace velmora::bench
