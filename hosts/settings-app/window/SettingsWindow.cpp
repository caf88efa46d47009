#include "hosts/settings-app/window/SettingsWindow.h"

#include "hosts/settings-app/window/WindowScreen.h"
#include "platform/foundation/CFNotificationCenter.h"

#include <glib-unix.h>
#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/x11/gdkx.h>
#endif

#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <memory>

namespace settingsapp {

namespace {

constexpr const char* kSettingsChanged = "com.veltrona.snapfold/settingschanged";
// The run loop's clock follows the wall clock at the display's pace.
constexpr guint kFrameMilliseconds = 16;
// The window shows at most a phone's (or a pad's) screen height; longer pages scroll.
constexpr double kPhoneHeight = 667;
constexpr double kPadHeight = 1024;

void sayLine(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

class SettingsWindow : public std::enable_shared_from_this<SettingsWindow> {
public:
    SettingsWindow(const WindowOptions& options) : options_(options), screen_(options.width, sayLine) {}
    ~SettingsWindow();

    bool open(std::string& message);
    void run();

private:
    void build();
    void resizeToScreen();
    void handleClick(double x, double y);
    void beginEditing();
    void showSheet();
    void settingsChanged();
    void tick();
    void writeScreenshot(const std::string& file);
    void reportReady();
    void afterPaint();

    static void onNotification(CFNotificationCenterRef, void* observer, CFStringRef, const void*, CFDictionaryRef);

    WindowOptions options_;
    WindowScreen screen_;
    GMainLoop* loop_ = nullptr;
    GtkWindow* window_ = nullptr;
    GtkWidget* drawing_ = nullptr;
    GtkWidget* overlay_ = nullptr;
    GtkWidget* entry_ = nullptr;
    guint tickSource_ = 0;
    guint signalSource_ = 0;
    gint64 lastTick_ = 0;
    bool observing_ = false;
    // A screenshot asked for and not yet taken: taken after the next frame
    // is painted, when the page's new size has been laid out.
    std::string pendingScreenshot_;
    bool reportedReady_ = false;
    // Held by the notify center's observer registration: a weak handle the
    // notify thread copies into each hop to the main thread.
    std::unique_ptr<std::weak_ptr<SettingsWindow>> observerHandle_;
};

SettingsWindow::~SettingsWindow() {
    // Removal waits for a delivery in progress, so no callback runs after it.
    if (observing_)
        CFNotificationCenterRemoveEveryObserver(CFNotificationCenterGetDarwinNotifyCenter(), observerHandle_.get());
    if (tickSource_) g_source_remove(tickSource_);
    if (signalSource_) g_source_remove(signalSource_);
    if (window_) gtk_window_destroy(window_);
    if (loop_) g_main_loop_unref(loop_);
}

bool SettingsWindow::open(std::string& message) {
    if (!screen_.open(options_.entryLabel, options_.pages, message)) return false;
    if (!gtk_init_check()) {
        message = "cannot open the display (is DISPLAY set?)";
        return false;
    }
    build();
    observerHandle_ = std::make_unique<std::weak_ptr<SettingsWindow>>(weak_from_this());
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), observerHandle_.get(), &onNotification,
                                    kSettingsChanged, nullptr, CFNotificationSuspensionBehaviorDeliverImmediately);
    observing_ = true;
    return true;
}

// Runs on the notify center's thread: the pages belong to the main thread,
// so the change is handed over there, to a window that may be gone by then.
void SettingsWindow::onNotification(CFNotificationCenterRef, void* observer, CFStringRef, const void*,
                                    CFDictionaryRef) {
    auto* handle = new std::weak_ptr<SettingsWindow>(*static_cast<std::weak_ptr<SettingsWindow>*>(observer));
    g_main_context_invoke_full(
        nullptr, G_PRIORITY_DEFAULT,
        [](gpointer data) -> gboolean {
            if (auto window = static_cast<std::weak_ptr<SettingsWindow>*>(data)->lock()) window->settingsChanged();
            return G_SOURCE_REMOVE;
        },
        handle, [](gpointer data) { delete static_cast<std::weak_ptr<SettingsWindow>*>(data); });
}

void SettingsWindow::settingsChanged() {
    sayLine(std::string("settings changed: ") + kSettingsChanged);
    screen_.recompose();
    resizeToScreen();
}

void SettingsWindow::build() {
    loop_ = g_main_loop_new(nullptr, FALSE);
    window_ = GTK_WINDOW(gtk_window_new());
    gtk_window_set_title(window_, "Settings");
    double height = std::min(screen_.height(), options_.width >= 768 ? kPadHeight : kPhoneHeight);
    gtk_window_set_default_size(window_, static_cast<int>(options_.width), static_cast<int>(height));
    g_signal_connect_swapped(window_, "close-request", G_CALLBACK(+[](GMainLoop* loop) {
                                 g_main_loop_quit(loop);
                                 return TRUE;
                             }),
                             loop_);

    drawing_ = gtk_drawing_area_new();
    gtk_drawing_area_set_draw_func(
        GTK_DRAWING_AREA(drawing_),
        [](GtkDrawingArea*, cairo_t* cr, int, int, gpointer self) {
            static_cast<SettingsWindow*>(self)->screen_.draw(cr);
        },
        this, nullptr);
    auto* click = gtk_gesture_click_new();
    g_signal_connect(click, "released", G_CALLBACK(+[](GtkGestureClick*, int, double x, double y, gpointer self) {
                         static_cast<SettingsWindow*>(self)->handleClick(x, y);
                     }),
                     this);
    gtk_widget_add_controller(drawing_, GTK_EVENT_CONTROLLER(click));

    // The text field is laid over the edited row's value, hidden until then.
    entry_ = gtk_entry_new();
    gtk_widget_set_halign(entry_, GTK_ALIGN_START);
    gtk_widget_set_valign(entry_, GTK_ALIGN_START);
    gtk_widget_set_visible(entry_, FALSE);
    g_signal_connect(entry_, "activate", G_CALLBACK(+[](GtkEntry* entry, gpointer self) {
                         auto* window = static_cast<SettingsWindow*>(self);
                         std::string text = gtk_editable_get_text(GTK_EDITABLE(entry));
                         gtk_widget_set_visible(window->entry_, FALSE);
                         auto changed = window->screen_.commitEditedText(text);
                         if (!changed) sayLine(changed.error().message);
                         window->resizeToScreen();
                     }),
                     this);

    overlay_ = gtk_overlay_new();
    gtk_overlay_set_child(GTK_OVERLAY(overlay_), drawing_);
    gtk_overlay_add_overlay(GTK_OVERLAY(overlay_), entry_);
    auto* scrolled = gtk_scrolled_window_new();
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_child(GTK_SCROLLED_WINDOW(scrolled), overlay_);
    gtk_window_set_child(window_, scrolled);
    resizeToScreen();
}

void SettingsWindow::resizeToScreen() {
    gtk_drawing_area_set_content_width(GTK_DRAWING_AREA(drawing_), static_cast<int>(screen_.width()));
    gtk_drawing_area_set_content_height(GTK_DRAWING_AREA(drawing_), static_cast<int>(screen_.height()));
    gtk_widget_queue_draw(drawing_);
}

void SettingsWindow::handleClick(double x, double y) {
    if (gtk_widget_get_visible(entry_)) {
        // A click elsewhere ends editing without writing, as leaving the field does.
        gtk_widget_set_visible(entry_, FALSE);
    }
    switch (screen_.click(uikit::CGPoint{x, y})) {
    case WindowScreen::ClickResult::Nothing: return;
    case WindowScreen::ClickResult::Changed: break;
    case WindowScreen::ClickResult::EditText: beginEditing(); break;
    case WindowScreen::ClickResult::SheetShown: showSheet(); break;
    }
    resizeToScreen();
}

void SettingsWindow::beginEditing() {
    // Over the row's value: the right part of its cell, clear of its title.
    const uikit::CGRect& cell = screen_.editedRow().frame;
    double left = cell.origin.x + cell.size.width * 0.4;
    gtk_widget_set_margin_start(entry_, static_cast<int>(left));
    gtk_widget_set_margin_top(entry_, static_cast<int>(cell.origin.y));
    gtk_widget_set_size_request(entry_, static_cast<int>(cell.origin.x + cell.size.width - left - 8),
                                static_cast<int>(cell.size.height));
    gtk_editable_set_text(GTK_EDITABLE(entry_), screen_.editedRowText().c_str());
    gtk_widget_set_visible(entry_, TRUE);
    gtk_widget_grab_focus(entry_);
    sayLine("editing: " + screen_.editedRow().row->stringPropertyForKey("key").value_or("(row)"));
}

void SettingsWindow::showSheet() {
    std::string text = screen_.sheetText();
    sayLine(text);
    auto* sheet = GTK_WINDOW(gtk_window_new());
    gtk_window_set_title(sheet, text.starts_with("mail") ? "Mail" : "Share");
    gtk_window_set_transient_for(sheet, window_);
    gtk_window_set_modal(sheet, TRUE);
    gtk_window_set_deletable(sheet, FALSE);
    auto* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 12);
    gtk_widget_set_margin_start(box, 16);
    gtk_widget_set_margin_end(box, 16);
    gtk_widget_set_margin_top(box, 16);
    gtk_widget_set_margin_bottom(box, 16);
    auto* label = gtk_label_new(text.c_str());
    gtk_label_set_wrap(GTK_LABEL(label), TRUE);
    gtk_box_append(GTK_BOX(box), label);
    auto* buttons = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    gtk_widget_set_halign(buttons, GTK_ALIGN_END);
    for (bool cancel : {true, false}) {
        auto* button = gtk_button_new_with_label(cancel ? "Cancel" : "Send");
        g_object_set_data(G_OBJECT(button), "sheet", sheet);
        g_object_set_data(G_OBJECT(button), "cancels", GINT_TO_POINTER(cancel));
        auto clicked = +[](GtkButton* button, gpointer self) {
            auto* window = static_cast<SettingsWindow*>(self);
            window->screen_.finishSheet(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "cancels")) != 0);
            gtk_window_destroy(GTK_WINDOW(g_object_get_data(G_OBJECT(button), "sheet")));
            window->resizeToScreen();
        };
        g_signal_connect(button, "clicked", G_CALLBACK(clicked), this);
        gtk_box_append(GTK_BOX(buttons), button);
    }
    gtk_box_append(GTK_BOX(box), buttons);
    gtk_window_set_child(sheet, box);
    gtk_window_present(sheet);
}

void SettingsWindow::tick() {
    gint64 now = g_get_monotonic_time();
    double elapsed = lastTick_ ? static_cast<double>(now - lastTick_) / G_USEC_PER_SEC : 0;
    lastTick_ = now;
    if (elapsed > 0) WindowScreen::advanceClock(elapsed);
    gtk_widget_queue_draw(drawing_);
}

// The window's own drawing, as GTK renders the drawing area, at its full height.
void SettingsWindow::writeScreenshot(const std::string& file) {
    GdkPaintable* paintable = gtk_widget_paintable_new(drawing_);
    GtkSnapshot* snapshot = gtk_snapshot_new();
    int width = gtk_widget_get_width(drawing_);
    int height = gtk_widget_get_height(drawing_);
    gdk_paintable_snapshot(paintable, snapshot, width, height);
    GskRenderNode* node = gtk_snapshot_free_to_node(snapshot);
    bool written = false;
    if (node) {
        GskRenderer* renderer = gtk_native_get_renderer(GTK_NATIVE(window_));
        graphene_rect_t bounds = GRAPHENE_RECT_INIT(0, 0, static_cast<float>(width), static_cast<float>(height));
        GdkTexture* texture = gsk_renderer_render_texture(renderer, node, &bounds);
        written = texture && gdk_texture_save_to_png(texture, file.c_str());
        if (texture) g_object_unref(texture);
        gsk_render_node_unref(node);
    }
    g_object_unref(paintable);
    sayLine(written ? "screenshot: " + file : "screenshot failed: " + file);
}

void SettingsWindow::reportReady() {
    // Where the page's top-left corner is in the window's surface, for
    // anything that clicks the window from outside (the tests' xdotool).
    graphene_point_t origin;
    graphene_point_t zero = GRAPHENE_POINT_INIT(0, 0);
    if (!gtk_widget_compute_point(drawing_, GTK_WIDGET(window_), &zero, &origin)) origin = zero;
    double surfaceX = 0, surfaceY = 0;
    gtk_native_get_surface_transform(GTK_NATIVE(window_), &surfaceX, &surfaceY);
    unsigned long xid = 0;
#ifdef GDK_WINDOWING_X11
    if (auto* surface = gtk_native_get_surface(GTK_NATIVE(window_)); GDK_IS_X11_SURFACE(surface))
        xid = gdk_x11_surface_get_xid(surface);
#endif
    sayLine("ready: window " + std::to_string(xid) + " page at " +
            std::to_string(static_cast<int>(origin.x + surfaceX)) + " " +
            std::to_string(static_cast<int>(origin.y + surfaceY)));
}

void SettingsWindow::afterPaint() {
    if (!pendingScreenshot_.empty()) {
        writeScreenshot(pendingScreenshot_);
        pendingScreenshot_.clear();
    }
    if (!reportedReady_) {
        reportedReady_ = true;
        reportReady();
    }
}

void SettingsWindow::run() {
    gtk_window_present(window_);
    tickSource_ = g_timeout_add(
        kFrameMilliseconds,
        [](gpointer self) -> gboolean {
            static_cast<SettingsWindow*>(self)->tick();
            return G_SOURCE_CONTINUE;
        },
        this);
    if (!options_.screenshotOnSignal.empty())
        signalSource_ = g_unix_signal_add(
            SIGUSR1,
            [](gpointer self) -> gboolean {
                auto* window = static_cast<SettingsWindow*>(self);
                window->pendingScreenshot_ = window->options_.screenshotOnSignal;
                gtk_widget_queue_draw(window->drawing_);
                return G_SOURCE_CONTINUE;
            },
            this);
    pendingScreenshot_ = options_.screenshotOnIdle;
    // Once the first frame is painted, the window is ready.
    g_signal_connect_swapped(gtk_widget_get_frame_clock(GTK_WIDGET(window_)), "after-paint",
                             G_CALLBACK(+[](SettingsWindow* window) { window->afterPaint(); }), this);
    g_main_loop_run(loop_);
}

}  // namespace

int runSettingsWindow(const WindowOptions& options) {
    // A starting process may hand its children a blocked SIGUSR1; the
    // screenshot signal must reach this one, and every thread it starts.
    sigset_t screenshotSignal;
    sigemptyset(&screenshotSignal);
    sigaddset(&screenshotSignal, SIGUSR1);
    pthread_sigmask(SIG_UNBLOCK, &screenshotSignal, nullptr);
    auto window = std::make_shared<SettingsWindow>(options);
    std::string message;
    if (!window->open(message)) {
        std::fprintf(stderr, "snapfold-settings-app: %s\n", message.c_str());
        return 1;
    }
    window->run();
    return 0;
}

}  // namespace settingsapp
