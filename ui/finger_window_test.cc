#include "ui/finger_window.h"

#include <dlfcn.h>
#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>
#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "capture/capture_state.h"
#include "capture/finger_number.h"
#include "tests/support/private_x_server.h"
#include "tests/support/scoped_temp_dir.h"
#include "ui/main_thread_mail.h"
#include "ui/reader_prompts.h"
#include "ui/status_line.h"
#include "ui/translation.h"
#include "units/bio_unit_impl.h"
#include "units/plugin_units.h"
#include "units/unit_list.h"

using namespace velmora::test;  // the shared test support

namespace {

// The real widgets run on one private Xvfb per test process. CaptureState and the toolkit are
// process-wide, so each test resets the state through its setters and builds a window of its own.
class FingerWindowTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!PrivateXServer::Installed()) return void(s_SkipReason = "Xvfb is not installed");
    s_Server = new PrivateXServer;
    if (!s_Server->Start(&s_StartError)) return;
    setenv("DISPLAY", s_Server->Display().c_str(), 1);
    setenv("GTK2_RC_FILES", "/dev/null", 1);  // the toolkit's own theme, whatever the machine has
    setenv("GTK_MODULES", "gail", 1);         // the accessibility that screen readers meet
    for (const char* domain : {"Gtk", "Gdk", "GdkPixbuf", "GLib", "GLib-GObject", "Atk"})
      g_log_set_handler(domain, GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING), KeepComplaint,
                        nullptr);
    if (!gtk_init_check(nullptr, nullptr)) s_StartError = "the toolkit cannot open " + s_Server->Display();
  }

  static void TearDownTestSuite() {
    delete s_Server;
    s_Server = nullptr;
  }

  void SetUp() override {
    if (!s_SkipReason.empty()) GTEST_SKIP() << s_SkipReason << "; the window tests need it";
    ASSERT_EQ(s_StartError, "");
    ASSERT_EQ(UnitListCount(), 0);  // no worker may start behind these tests
  }

  // The window is left alone when a test destroyed it; otherwise only hidden, since destroying it
  // outside a running main loop would ask a loop that does not run to end. A toolkit warning or
  // critical on the way (a button put twice, a bad cast) is a fault of the window.
  void TearDown() override {
    if (m_Window) gtk_widget_hide(m_Window);
    EXPECT_EQ(s_Complaints, "");
    s_Complaints.clear();
  }

  // Builds a fresh window over `enrolled`, with m_SelectedFinger 0, keeping its standard output.
  void Build(const std::vector<uint8_t>& enrolled, const char* picture = HANDS_BMP) {
    ASSERT_TRUE(TheCaptureState().SetEnrolled(enrolled.data(), static_cast<int32_t>(enrolled.size()), 0));
    TheCaptureState().SetSelectedFinger(0);
    testing::internal::CaptureStdout();
    bool built = BuildFingerWindow(&m_Table, picture);
    m_Log = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(built);
    m_Window = m_Table->window;
    g_object_add_weak_pointer(G_OBJECT(m_Window), reinterpret_cast<gpointer*>(&m_Window));
  }

  GtkWidget* Button(FingerNumber finger) const { return m_Table->fingerButtons[FingerButtonEntry(finger)]; }

  bool Active(FingerNumber finger) const {
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(Button(finger)));
  }

  // The fingers whose buttons sit in the fixed beside the status line; fails on a child that is
  // neither.
  std::vector<FingerNumber> PlacedFingers() const {
    std::vector<FingerNumber> fingers;
    GList* children = gtk_container_get_children(GTK_CONTAINER(m_Table->fixed));
    for (GList* child = children; child; child = child->next)
      if (child->data != StatusLine())
        fingers.push_back(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(child->data), "id")));
    g_list_free(children);
    return fingers;
  }

  // Runs the main loop as the program does. False when only the safety net could end it.
  static bool RunUntilEnded() {
    bool stuck = false;
    guint net = g_timeout_add_seconds(60, StopStuckLoop, &stuck);
    RunFingerWindow();
    if (!stuck) g_source_remove(net);
    return !stuck;
  }

  // Posts one record and an end request from another thread, then runs the loop that shows it.
  static void OnlyMail(MailKind kind, const char* text) {
    std::thread worker([&] {
      PostMail(kind, text);
      EndFingerWindowLoop();
    });
    worker.join();
    EXPECT_TRUE(RunUntilEnded());
  }

  static std::string HandlerLines(int finger) {
    return "The button " + std::to_string(finger) + " pressed\nm_SelectedFinger: " + std::to_string(finger) +
           "\n";
  }

  FingerWindow* m_Table = nullptr;
  GtkWidget* m_Window = nullptr;  // cleared when the window is destroyed
  std::string m_Log;

 private:
  static void KeepComplaint(const gchar* domain, GLogLevelFlags, const gchar* message, gpointer) {
    s_Complaints += std::string(domain) + ": " + message + "\n";
  }

  static gboolean StopStuckLoop(gpointer stuck) {
    *static_cast<bool*>(stuck) = true;
    gtk_main_quit();
    return FALSE;
  }

  static PrivateXServer* s_Server;
  static std::string s_SkipReason;
  static std::string s_StartError;
  static std::string s_Complaints;
};

PrivateXServer* FingerWindowTest::s_Server = nullptr;
std::string FingerWindowTest::s_SkipReason;
std::string FingerWindowTest::s_StartError;
std::string FingerWindowTest::s_Complaints;

const std::vector<FingerNumber> kAllFingers = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};

TEST_F(FingerWindowTest, TenLabelLessNamedButtonsInOneGroupOpenedByFingerSix) {
  Build({7, 2, 1});
  GSList* group = gtk_radio_button_get_group(GTK_RADIO_BUTTON(Button(6)));
  // Each new member is put in front of the group, so the list runs against the creation order.
  const FingerNumber reverseCreation[] = {5, 4, 3, 2, 1, 10, 9, 8, 7, 6};
  ASSERT_EQ(g_slist_length(group), 10u);
  for (FingerNumber finger : reverseCreation) {
    EXPECT_EQ(group->data, Button(finger)) << "finger " << int(finger);
    group = group->next;
  }
  for (FingerNumber finger : kAllFingers) {
    GtkWidget* button = Button(finger);
    ASSERT_TRUE(GTK_IS_RADIO_BUTTON(button)) << int(finger);
    EXPECT_EQ(gtk_radio_button_get_group(GTK_RADIO_BUTTON(button)),
              gtk_radio_button_get_group(GTK_RADIO_BUTTON(Button(6))));
    EXPECT_EQ(gtk_bin_get_child(GTK_BIN(button)), nullptr) << int(finger);
    EXPECT_EQ(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "id")), finger);
    EXPECT_STREQ(atk_object_get_name(gtk_widget_get_accessible(button)), FingerName(finger));
    EXPECT_TRUE(gtk_widget_get_visible(button)) << int(finger);
  }
}

TEST_F(FingerWindowTest, OnlyEnrolledFingersSitInTheFixedOnceAtTheirPositions) {
  const std::vector<std::vector<uint8_t>> lists = {
      {7, 2, 1}, {3, 3, 9, 3}, {12, 0, 5, 255, 10, 11}, {}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 10}};
  for (const auto& list : lists) {
    SCOPED_TRACE(testing::PrintToString(std::vector<int>(list.begin(), list.end())));
    Build(list);
    std::set<FingerNumber> enrolled;
    for (uint8_t entry : list)
      if (entry >= 1 && entry <= 10) enrolled.insert(entry);
    std::vector<FingerNumber> placed = PlacedFingers();
    EXPECT_EQ(placed.size(), enrolled.size());
    EXPECT_EQ(std::set<FingerNumber>(placed.begin(), placed.end()), enrolled);
    for (FingerNumber finger : kAllFingers) {
      bool inFixed = gtk_widget_get_parent(Button(finger)) == m_Table->fixed;
      EXPECT_EQ(inFixed, enrolled.count(finger) == 1) << int(finger);
      if (!inFixed) continue;
      int x = -1, y = -1;
      gtk_container_child_get(GTK_CONTAINER(m_Table->fixed), Button(finger), "x", &x, "y", &y, nullptr);
      ButtonPosition expected;
      ASSERT_TRUE(FingerButtonPosition(finger, &expected));
      EXPECT_EQ(x, expected.x) << int(finger);
      EXPECT_EQ(y, expected.y) << int(finger);
    }
    TearDown();
  }
}

// The picture's fingertips are drawn at the centres of buttons of this size.
TEST_F(FingerWindowTest, EachButtonHasTheSizeThatThePictureAssumes) {
  Build({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  for (FingerNumber finger : kAllFingers) {
    GtkRequisition size = {0, 0};
    gtk_widget_size_request(Button(finger), &size);
    EXPECT_EQ(size.width, kButtonSize) << int(finger);
    EXPECT_EQ(size.height, kButtonSize) << int(finger);
  }
}

TEST_F(FingerWindowTest, AFixedSizeCentredWindowAroundAWindowlessFixed) {
  Build({7});
  GtkWindow* window = GTK_WINDOW(m_Table->window);
  EXPECT_STREQ(gtk_window_get_title(window), "Fingerprint Capture");
  int width = 0, height = 0;
  gtk_widget_get_size_request(m_Table->window, &width, &height);
  EXPECT_EQ(width, 222);
  EXPECT_EQ(height, 270);
  EXPECT_FALSE(gtk_window_get_resizable(window));
  GtkWindowPosition position = GTK_WIN_POS_NONE;
  g_object_get(window, "window-position", &position, nullptr);
  EXPECT_EQ(position, GTK_WIN_POS_CENTER_ALWAYS);
  EXPECT_EQ(gtk_container_get_border_width(GTK_CONTAINER(window)), 0u);
  EXPECT_EQ(gtk_bin_get_child(GTK_BIN(window)), m_Table->fixed);
  ASSERT_TRUE(GTK_IS_FIXED(m_Table->fixed));
  EXPECT_FALSE(gtk_widget_get_has_window(m_Table->fixed));  // the picture shows behind the buttons
  EXPECT_TRUE(gtk_widget_get_visible(m_Table->fixed));
}

TEST_F(FingerWindowTest, ThePictureIsTheNormalStateBackgroundOnly) {
  Build({7, 2, 1});
  GtkStyle* style = gtk_widget_get_style(m_Table->window);
  GdkPixmap* pixmap = style->bg_pixmap[GTK_STATE_NORMAL];
  ASSERT_NE(pixmap, nullptr);
  int width = 0, height = 0;
  gdk_drawable_get_size(GDK_DRAWABLE(pixmap), &width, &height);
  EXPECT_EQ(width, kWindowWidth);
  EXPECT_EQ(height, kWindowHeight);
  for (int state = GTK_STATE_ACTIVE; state <= GTK_STATE_INSENSITIVE; ++state)
    EXPECT_EQ(style->bg_pixmap[state], nullptr) << "state " << state;
}

// The installed picture is read as a BMP; a picture of another type under that name still loads.
TEST_F(FingerWindowTest, APictureOfAnotherTypeIsTheBackgroundAllTheSame) {
  ScopedTempDir folder;
  ASSERT_FALSE(folder.path().empty());
  const std::string picture = folder.Path("hands.bmp");
  GdkPixbuf* png = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, kWindowWidth, kWindowHeight);
  gdk_pixbuf_fill(png, 0x336699ff);
  ASSERT_TRUE(gdk_pixbuf_save(png, picture.c_str(), "png", nullptr, nullptr));
  g_object_unref(png);
  Build({7, 2, 1}, picture.c_str());
  GdkPixmap* pixmap = gtk_widget_get_style(m_Table->window)->bg_pixmap[GTK_STATE_NORMAL];
  ASSERT_NE(pixmap, nullptr);
  int width = 0, height = 0;
  gdk_drawable_get_size(GDK_DRAWABLE(pixmap), &width, &height);
  EXPECT_EQ(width, kWindowWidth);
  EXPECT_EQ(height, kWindowHeight);
}

TEST_F(FingerWindowTest, WithoutAPictureNoPixmapAndOneLineNamingTheFile) {
  ScopedTempDir folder;
  ASSERT_FALSE(folder.path().empty());
  const std::string pictures[] = {folder.Path("missing.bmp"),
                                  folder.Write("garbage.bmp", "BM not a picture")};
  for (const std::string& picture : pictures) {
    SCOPED_TRACE(picture);
    testing::internal::CaptureStderr();
    Build({7, 2, 1}, picture.c_str());
    std::string errors = testing::internal::GetCapturedStderr();
    GtkStyle* style = gtk_widget_get_style(m_Table->window);
    for (int state = GTK_STATE_NORMAL; state <= GTK_STATE_INSENSITIVE; ++state)
      EXPECT_EQ(style->bg_pixmap[state], nullptr) << "state " << state;
    std::vector<std::string> naming;
    for (size_t start = 0, end; start < errors.size(); start = end + 1) {
      end = std::min(errors.find('\n', start), errors.size());
      std::string line = errors.substr(start, end - start);
      if (line.find(picture) != std::string::npos) naming.push_back(line);
    }
    EXPECT_EQ(naming.size(), 1u) << errors;
    EXPECT_EQ(TheCaptureState().SelectedFinger(), 7);  // the window works without its picture
    TearDown();
  }
}

TEST_F(FingerWindowTest, TheDefaultFingerIsActiveSelectedAndLoggedOnce) {
  const struct {
    std::vector<uint8_t> list;
    FingerNumber chosen;
  } cases[] = {{{7, 2, 1}, 7}, {{3, 2}, 2}, {{2, 7}, 7},   {{4, 9}, 4},
               {{6}, 6},       {{6, 3}, 6}, {{10, 1}, 10}, {{1, 1}, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE("chosen " + std::to_string(c.chosen));
    Build(c.list);
    for (FingerNumber finger : kAllFingers) EXPECT_EQ(Active(finger), finger == c.chosen) << int(finger);
    EXPECT_EQ(TheCaptureState().SelectedFinger(), c.chosen);
    EXPECT_EQ(m_Log, HandlerLines(c.chosen));
    TearDown();
  }
}

TEST_F(FingerWindowTest, WithoutAChoiceNothingIsSelectedAndFingerSixStaysActive) {
  const std::vector<std::vector<uint8_t>> lists = {{0, 3}, {11, 3}, {0, 6}, {}, {12}};
  for (const auto& list : lists) {
    SCOPED_TRACE(testing::PrintToString(std::vector<int>(list.begin(), list.end())));
    Build(list);
    EXPECT_EQ(TheCaptureState().SelectedFinger(), 0);
    EXPECT_EQ(m_Log, "");
    for (FingerNumber finger : kAllFingers) EXPECT_EQ(Active(finger), finger == 6) << int(finger);
    bool sixEnrolled = std::find(list.begin(), list.end(), 6) != list.end();
    EXPECT_EQ(gtk_widget_get_parent(Button(6)) != nullptr, sixEnrolled);
    TearDown();
  }
}

TEST_F(FingerWindowTest, AClickSelectsItsFingerAndOnlyTheNewlyActiveButtonSpeaks) {
  Build({7, 2, 1});
  testing::internal::CaptureStdout();
  gtk_button_clicked(GTK_BUTTON(Button(2)));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), HandlerLines(2));
  EXPECT_TRUE(Active(2));
  EXPECT_FALSE(Active(7));
  EXPECT_EQ(TheCaptureState().SelectedFinger(), 2);

  TheCaptureState().SetSelectedFinger(0);
  testing::internal::CaptureStdout();
  gtk_button_clicked(GTK_BUTTON(Button(2)));  // the active one again
  EXPECT_EQ(testing::internal::GetCapturedStdout(), HandlerLines(2));
  EXPECT_TRUE(Active(2));
  EXPECT_EQ(TheCaptureState().SelectedFinger(), 2);
}

TEST_F(FingerWindowTest, AnEndRequestFromAnotherThreadBeforeTheLoopEndsItOnceItRuns) {
  Build({7, 2, 1});
  std::thread worker(EndFingerWindowLoop);
  worker.join();
  EXPECT_TRUE(RunUntilEnded());
  EXPECT_NE(m_Window, nullptr);  // the worker's end leaves the window as it is
  EXPECT_EQ(TheCaptureState().SelectedFinger(), 7);
}

gboolean DestroyWindow(gpointer window) {
  gtk_widget_destroy(GTK_WIDGET(window));
  return FALSE;
}

TEST_F(FingerWindowTest, ClosingTheWindowEndsTheLoopAndKeepsTheChoice) {
  Build({4, 9});
  gtk_button_clicked(GTK_BUTTON(Button(9)));
  g_idle_add(DestroyWindow, m_Window);
  testing::internal::CaptureStdout();
  EXPECT_TRUE(RunUntilEnded());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");  // the dying buttons report nothing
  EXPECT_EQ(m_Window, nullptr);
  EXPECT_EQ(TheCaptureState().SelectedFinger(), 9);
}

TEST_F(FingerWindowTest, ClosingTheWindowDisconnectsTheFirstUnitOnlyOnceBeforeTheLoopReturns) {
  ScopedTempDir dir;
  std::string trace = dir.Path("trace");
  setenv("VELMORA_TP_TRACE", trace.c_str(), 1);
  UnitSequence units;
  ASSERT_EQ(EnumeratePluginUnits(BindPlugin(FPXTEST_A_SO), units), 0);
  ASSERT_EQ(units.size(), 2u);
  InstallUnitList(std::move(units));
  Build({4});
  g_idle_add(DestroyWindow, m_Window);
  // The loop alone, as RunFingerWindow runs it but without a worker, so that every disconnect
  // comes from the window.
  gtk_main();
  std::string calls = dir.Read(trace);
  InstallUnitList({});
  unsetenv("VELMORA_TP_TRACE");
  EXPECT_EQ(m_Window, nullptr);
  EXPECT_EQ(calls.find("a FpxDisconnect 2"), std::string::npos) << calls;
  size_t first = calls.find("a FpxDisconnect 1\n");
  ASSERT_NE(first, std::string::npos) << calls;
  EXPECT_EQ(calls.find("a FpxDisconnect 1\n", first + 1), std::string::npos) << calls;
}

}  // namespace

namespace {

std::string StatusText() { return gtk_label_get_text(GTK_LABEL(StatusLine())); }

}  // namespace

TEST_F(FingerWindowTest, TheStatusLineSaysWhetherAReaderWasFound) {
  Build({7});
  EXPECT_EQ(StatusText(), "No fingerprint reader found");
  UnitSequence units;
  ASSERT_EQ(EnumeratePluginUnits(BindPlugin(FPXTEST_A_SO), units), 0);
  InstallUnitList(std::move(units));
  Build({7});
  InstallUnitList({});
  EXPECT_EQ(StatusText(), "Choose a finger, then place it on the reader");
  // The line sits below the hands, and a long text does not grow the fixed-size window.
  int x = -1, y = -1;
  gtk_container_child_get(GTK_CONTAINER(m_Table->fixed), StatusLine(), "x", &x, "y", &y, nullptr);
  EXPECT_EQ(x, kStatusLineX);
  EXPECT_EQ(y, kStatusLineY);
  ShowStatus(std::string(255, 'w').c_str());
  GtkRequisition size = {0, 0};
  gtk_widget_size_request(m_Table->window, &size);
  EXPECT_EQ(size.width, kWindowWidth);
  EXPECT_EQ(size.height, kWindowHeight);
}

// Mail from another thread, posted before the loop runs, is shown once it does, before the end
// request that followed it ends the loop.
TEST_F(FingerWindowTest, MailFromAnotherThreadReachesTheStatusLineBeforeTheLoopEnds) {
  const struct {
    MailKind kind;
    const char* text;
    std::string shown;
  } cases[] = {
      {MailKind::kPrompt, "Centre your finger on the reader", "Centre your finger on the reader"},
      {MailKind::kCaptureFailed, nullptr, "The capture failed"},
      {MailKind::kPrompt, "bad \xff byte", "bad \xef\xbf\xbd byte"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    Build({7, 2, 1});
    OnlyMail(c.kind, c.text);
    EXPECT_EQ(StatusText(), c.shown);
    TearDown();
  }
}

// The whole way: a plug-in's thread calls the sink that the unit handed it before FpxConnect.
TEST_F(FingerWindowTest, AReaderPromptFromThePluginThreadIsShown) {
  Build({7});
  std::shared_ptr<PluginParams> params = BindPlugin(FPXTEST_PROMPTS_SO);
  ASSERT_NE(params, nullptr);
  auto send = reinterpret_cast<int32_t (*)(uint32_t, const char*)>(dlsym(params->handle, "TpSendPrompt"));
  ASSERT_NE(send, nullptr);
  BioUnitImpl unit(params, 3);
  unit.Connect(0, 0, 0);
  std::thread reader([&] {
    send(3, "Swipe your finger again, more slowly");
    EndFingerWindowLoop();
  });
  reader.join();
  unit.Disconnect();
  EXPECT_TRUE(RunUntilEnded());
  EXPECT_EQ(StatusText(), "Swipe your finger again, more slowly");
}

namespace {

// A key as the X server delivers it to the window; true when a handler took it.
bool SendKey(GtkWidget* window, GdkEventType type, guint keyval) {
  GdkEvent* event = gdk_event_new(type);
  event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
  event->key.keyval = keyval;
  event->key.time = GDK_CURRENT_TIME;
  // The toolkit's key bindings look keys up by their hardware code.
  GdkKeymapKey* keys = nullptr;
  gint count = 0;
  if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_default(), keyval, &keys, &count) && count > 0)
    event->key.hardware_keycode = keys[0].keycode;
  g_free(keys);
  bool handled = gtk_widget_event(window, event);
  gdk_event_free(event);
  return handled;
}

void PressKey(GtkWidget* window, guint keyval) {
  SendKey(window, GDK_KEY_PRESS, keyval);
  SendKey(window, GDK_KEY_RELEASE, keyval);
}

}  // namespace

TEST_F(FingerWindowTest, TheFocusStartsOnTheChosenFingerOrTheFirstShownOne) {
  const struct {
    std::vector<uint8_t> list;
    FingerNumber focused;  // 0: no focus
  } cases[] = {{{7, 2, 1}, 7}, {{4, 9}, 4}, {{0, 6}, 6}, {{0, 3, 9}, 9}, {{}, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::vector<int>(c.list.begin(), c.list.end())));
    Build(c.list);
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(m_Window));
    EXPECT_EQ(focus, c.focused ? Button(c.focused) : nullptr);
    TearDown();
  }
}

// Arrows move the focus without selecting; Space selects as a click does; Tab leaves the group
// and enters it again at the active finger.
TEST_F(FingerWindowTest, ArrowsMoveTheFocusSpaceSelectsTabLeavesTheGroup) {
  Build({7, 2, 1});
  // Space presses the button as a click does, under a keyboard grab, which needs a mapped window.
  while (!gdk_window_is_viewable(gtk_widget_get_window(m_Window))) gtk_main_iteration();
  auto focused = [&] { return gtk_window_get_focus(GTK_WINDOW(m_Window)); };
  testing::internal::CaptureStdout();
  const struct {
    guint key;
    FingerNumber focus;
  } moves[] = {{GDK_Right, 1}, {GDK_Down, 2}, {GDK_Right, 7}, {GDK_Left, 2}, {GDK_Up, 1}};
  for (const auto& move : moves) {
    PressKey(m_Window, move.key);
    EXPECT_EQ(focused(), Button(move.focus)) << "key " << move.key;
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(TheCaptureState().SelectedFinger(), 7);
  testing::internal::CaptureStdout();
  PressKey(m_Window, GDK_space);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), HandlerLines(1));
  EXPECT_TRUE(Active(1));
  PressKey(m_Window, GDK_Tab);
  EXPECT_EQ(focused(), nullptr);
  PressKey(m_Window, GDK_Tab);
  EXPECT_EQ(focused(), Button(1));
}

// Escape goes the way of the window manager's close: the destroy handler ends the loop.
TEST_F(FingerWindowTest, EscapeClosesTheWindowAsTheWindowManagerDoes) {
  Build({4, 9});
  EXPECT_TRUE(SendKey(m_Window, GDK_KEY_PRESS, GDK_Escape));
  testing::internal::CaptureStdout();
  EXPECT_TRUE(RunUntilEnded());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(m_Window, nullptr);
  EXPECT_EQ(TheCaptureState().SelectedFinger(), 4);
}

TEST_F(FingerWindowTest, AccessibleNamesIdsAndAGroupOfTheShownButtonsOnly) {
  Build({7, 2, 1});
  for (FingerNumber finger : kAllFingers) {
    AtkObject* accessible = gtk_widget_get_accessible(Button(finger));
    EXPECT_STREQ(atk_object_get_name(accessible), FingerName(finger));
    EXPECT_EQ(std::string(atk_object_get_accessible_id(accessible)), "finger-" + std::to_string(finger));
  }
  const std::vector<FingerNumber> shown = {7, 1, 2};  // reading order
  for (FingerNumber finger : shown) {
    SCOPED_TRACE(int(finger));
    AtkRelationSet* relations = atk_object_ref_relation_set(gtk_widget_get_accessible(Button(finger)));
    AtkRelation* group = atk_relation_set_get_relation_by_type(relations, ATK_RELATION_MEMBER_OF);
    ASSERT_NE(group, nullptr);
    GPtrArray* targets = atk_relation_get_target(group);
    ASSERT_EQ(targets->len, shown.size());
    for (size_t i = 0; i < shown.size(); ++i)
      EXPECT_EQ(g_ptr_array_index(targets, i), gtk_widget_get_accessible(Button(shown[i])));
    g_object_unref(relations);
  }
  AtkObject* status = gtk_widget_get_accessible(StatusLine());
  EXPECT_STREQ(atk_object_get_accessible_id(status), "status");
  EXPECT_EQ(atk_object_get_role(status), ATK_ROLE_STATUSBAR);
  EXPECT_STREQ(atk_object_get_name(status), "No fingerprint reader found");
}

// The person's language for the names, the status line and the known prompts; the log lines and
// the title stay as they are, and a prompt that the catalogue does not know is shown as sent.
TEST_F(FingerWindowTest, InGermanTheWindowSpeaksGermanButLogsAndTitlesAsEver) {
  bindtextdomain(VELMORA_TEXT_DOMAIN, BUILD_LOCALE_DIR);
  setenv("LANGUAGE", "de", 1);
  ASSERT_NE(setlocale(LC_ALL, "C.UTF-8"), nullptr);
  Build({7, 2, 1});
  std::string status = StatusText();
  std::string name = atk_object_get_name(gtk_widget_get_accessible(Button(7)));
  std::string title = gtk_window_get_title(GTK_WINDOW(m_Window));
  std::vector<std::string> prompts;
  for (const char* prompt : {"Swipe your finger again, more slowly", "Vendor words"}) {
    OnlyMail(MailKind::kPrompt, prompt);
    prompts.push_back(StatusText());
  }
  unsetenv("LANGUAGE");
  setlocale(LC_ALL, "C");
  EXPECT_EQ(name, "Linker Zeigefinger");
  EXPECT_EQ(status, "Kein Fingerabdruckleser gefunden");
  EXPECT_EQ(prompts, (std::vector<std::string>{"Ziehen Sie den Finger langsamer erneut über den Leser",
                                               "Vendor words"}));
  EXPECT_EQ(title, "Fingerprint Capture");
  EXPECT_EQ(m_Log, HandlerLines(7));
}

// Every text of the line, in every language, fits its two lines.
TEST_F(FingerWindowTest, EveryTextOfTheStatusLineFitsInEveryLanguage) {
  Build({7});
  std::vector<const char*> texts = {kChooseFingerText, kNoReaderText, kCaptureFailedText};
  texts.insert(texts.end(), kReaderPrompts, kReaderPrompts + kReaderPromptCount);
  bindtextdomain(VELMORA_TEXT_DOMAIN, BUILD_LOCALE_DIR);
  ASSERT_NE(setlocale(LC_ALL, "C.UTF-8"), nullptr);
  for (const char* language : {"en", "de"}) {
    setenv("LANGUAGE", language, 1);
    setlocale(LC_ALL, "C.UTF-8");  // the catalogue is looked up afresh
    for (const char* text : texts) {
      PangoLayout* layout = gtk_widget_create_pango_layout(StatusLine(), _(text));
      pango_layout_set_width(layout, kStatusLineWidth * PANGO_SCALE);
      pango_layout_set_wrap(layout, PANGO_WRAP_WORD);
      int width = 0, height = 0;
      pango_layout_get_pixel_size(layout, &width, &height);
      EXPECT_LE(pango_layout_get_line_count(layout), 2) << language << ": " << _(text);
      EXPECT_LE(height, kStatusLineHeight) << language << ": " << _(text);
      g_object_unref(layout);
    }
  }
  unsetenv("LANGUAGE");
  setlocale(LC_ALL, "C");
}
