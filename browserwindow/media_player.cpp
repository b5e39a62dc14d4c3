#include "browserwindow/media_player.h"

#include <atkmm/object.h>
#include <glibmm/main.h>
#include <gst/gst.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>

namespace kelvane {
namespace {

// The controls show pictures, not words: what they do is both their tool tip and their
// name for assistive technologies.
void label(Gtk::Widget& control, const char* text) {
    control.set_tooltip_text(text);
    control.get_accessible()->set_name(text);
}

constexpr double kDesignVolume = 50;

void init_gstreamer() {
    static const bool initialised = gst_init_check(nullptr, nullptr, nullptr);
    (void)initialised;
}

// The player's threads still running: each holds a token from before it starts until it
// has returned.
std::atomic<int> threads_running{0};
std::shared_ptr<void> thread_token() {
    ++threads_running;
    return {nullptr, [](void*) { --threads_running; }};
}

// How long an audio output may take to open before the song goes on without it.
constexpr auto kOutputPatience = std::chrono::seconds(3);

// The output if it opens in time, else null; takes the reference given. Opening may
// block for good (a sound server that hangs, a lock left by a process that died), so it
// runs on a thread of its own that nobody waits for beyond kOutputPatience; a thread that
// comes back late closes what it opened and lets it go.
GstElement* open_in_time(GstElement* sink) {
    if (!sink) return nullptr;
    struct Attempt {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<bool> opened;
    };
    auto attempt = std::make_shared<Attempt>();
    gst_object_ref_sink(sink);
    gst_object_ref(sink);  // the thread's
    std::thread([attempt, sink, token = thread_token()] {
        const bool opened = gst_element_set_state(sink, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE;
        gst_element_set_state(sink, GST_STATE_NULL);
        gst_object_unref(sink);
        std::lock_guard lock(attempt->mutex);
        attempt->opened = opened;
        attempt->done.notify_one();
    }).detach();
    std::unique_lock lock(attempt->mutex);
    if (attempt->done.wait_for(lock, kOutputPatience, [&] { return attempt->opened.has_value(); }) && *attempt->opened)
        return sink;
    gst_object_unref(sink);
    return nullptr;
}

// The output the environment names in GST_AUDIO_SINK (an element as gst-launch-1.0 writes
// it, "jackaudiosink" say), else the desktop's sound server (PipeWire answers as
// PulseAudio), else ALSA: outputs that need a server of their own, such as JACK, only when
// asked for. Without any that opens in time, a sink that keeps time and plays nothing, so
// that a machine without sound neither hangs nor fails the song. A reference of the caller's.
GstElement* make_audio_sink() {
    GstElement* sink = nullptr;
    if (const char* wanted = g_getenv("GST_AUDIO_SINK"); wanted && *wanted)
        sink = open_in_time(gst_parse_bin_from_description_full(wanted, TRUE, nullptr, GST_PARSE_FLAG_FATAL_ERRORS, nullptr));
    for (const char* name : {"pulsesink", "alsasink"})
        if (!sink) sink = open_in_time(gst_element_factory_make(name, nullptr));
    if (!sink && (sink = gst_element_factory_make("fakesink", nullptr))) {
        gst_object_ref_sink(sink);
        g_object_set(sink, "sync", TRUE, nullptr);
    }
    return sink;
}

// playbin with its sinks; null when GStreamer has no playbin.
GstElement* make_playbin() {
    init_gstreamer();
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    if (!playbin) return nullptr;
    // A song or a radio stream: any video is not shown in a window of its own.
    if (GstElement* video = gst_element_factory_make("fakesink", nullptr)) g_object_set(playbin, "video-sink", video, nullptr);
    if (GstElement* audio = make_audio_sink()) {
        g_object_set(playbin, "audio-sink", audio, nullptr);
        gst_object_unref(audio);
    }
    return playbin;
}

}  // namespace

// What the worker thread hands back. `owner` is only read and written on the main
// thread; it is cleared when the player goes before the build is done.
struct MediaPlayer::Build {
    MediaPlayer* owner = nullptr;
    GstElement* playbin = nullptr;
};

void MediaPlayer::ElementUnref::operator()(GstElement* element) const {
    gst_element_set_state(element, GST_STATE_NULL);
    gst_object_unref(element);
}

MediaPlayer::MediaPlayer()
    : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 2),
      position_(Gtk::ORIENTATION_HORIZONTAL),
      volume_(Gtk::ORIENTATION_HORIZONTAL) {
    play_pause_.set_image_from_icon_name("media-playback-start-symbolic");
    label(play_pause_, "Play");
    stop_.set_image_from_icon_name("media-playback-stop-symbolic");
    label(stop_, "Stop");
    position_.get_accessible()->set_name("Position");
    position_.set_draw_value(false);
    position_.set_range(0, 1);
    position_.set_sensitive(false);
    volume_.set_draw_value(false);
    volume_.set_range(0, 100);
    volume_.set_value(kDesignVolume);
    volume_.set_size_request(60, -1);
    label(volume_, "Volume");
    pack_start(play_pause_, Gtk::PACK_SHRINK);
    pack_start(stop_, Gtk::PACK_SHRINK);
    pack_start(position_, Gtk::PACK_EXPAND_WIDGET);
    pack_start(volume_, Gtk::PACK_SHRINK);
    show_all_children();

    play_pause_.signal_clicked().connect([this] { playing_ ? pause() : play(); });
    stop_.signal_clicked().connect([this] { stop(); });
    position_.signal_change_value().connect(sigc::mem_fun(*this, &MediaPlayer::on_seek), false);
    volume_.signal_value_changed().connect([this] {
        if (playbin_) g_object_set(playbin_.get(), "volume", volume_.get_value() / 100.0, nullptr);
    });
}

MediaPlayer::~MediaPlayer() {
    position_timer_.disconnect();
    build_start_.disconnect();
    // A build under way is not waited for: it drops what it made when it finds the player gone.
    if (build_) build_->owner = nullptr;
    if (bus_watch_) g_source_remove(bus_watch_);
}

int MediaPlayer::exit_status(int status) {
    if (threads_running > 0) {
        std::fflush(nullptr);
        _exit(status);
    }
    return status;
}

std::string MediaPlayer::url_to_uri(const Glib::ustring& url) {
    const std::string text = url.raw();
    if (gst_uri_is_valid(text.c_str())) return text;
    if (!text.empty() && text.front() == '/') {
        gchar* uri = gst_filename_to_uri(text.c_str(), nullptr);
        std::string result = uri ? uri : "";
        g_free(uri);
        return result;
    }
    return "http://" + text;
}

void MediaPlayer::request_pipeline() {
    if (playbin_ || build_) return;
    build_ = std::make_shared<Build>();
    build_->owner = this;
    // Begun once the main loop has nothing more urgent to do: the window is shown and its
    // page on its way first.
    build_start_ = Glib::signal_idle().connect([this] {
        std::thread([build = build_, token = thread_token()] { run_build(build); }).detach();
        return false;
    });
}

void MediaPlayer::run_build(std::shared_ptr<Build> build) {
    // Below the window and the web engine, which matter more at start-up; a registry scan
    // that GStreamer starts inherits this.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
    build->playbin = make_playbin();
    // Handed to the main thread, where the player and its bus live.
    auto* handed = new std::shared_ptr<Build>(std::move(build));
    g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, &MediaPlayer::finish_build, handed,
                    [](gpointer data) { delete static_cast<std::shared_ptr<Build>*>(data); });
}

int MediaPlayer::finish_build(void* data) {
    const Build& build = **static_cast<std::shared_ptr<Build>*>(data);
    if (build.owner)
        build.owner->adopt(build.playbin);
    else if (build.playbin)
        ElementUnref()(build.playbin);  // the player went meanwhile
    return G_SOURCE_REMOVE;
}

void MediaPlayer::adopt(GstElement* playbin) {
    build_.reset();
    if (!playbin) return;
    playbin_.reset(playbin);
    g_object_set(playbin, "volume", volume_.get_value() / 100.0, nullptr);
    GstBus* bus = gst_element_get_bus(playbin);
    bus_watch_ = gst_bus_add_watch(bus, &MediaPlayer::on_bus_message, this);
    gst_object_unref(bus);
    // The address given meanwhile, if any, starts playing now.
    if (!url_.empty()) {
        g_object_set(playbin, "uri", url_to_uri(url_).c_str(), nullptr);
        play();
    }
}

void MediaPlayer::set_URL(const Glib::ustring& url) {
    url_ = url;
    if (url.empty()) {
        stop();
        return;
    }
    if (!playbin_) {
        request_pipeline();
        return;
    }
    gst_element_set_state(playbin_.get(), GST_STATE_NULL);
    g_object_set(playbin_.get(), "uri", url_to_uri(url).c_str(), nullptr);
    play();
}

void MediaPlayer::play() {
    if (playbin_ && !url_.empty()) gst_element_set_state(playbin_.get(), GST_STATE_PLAYING);
}

void MediaPlayer::pause() {
    if (playbin_) gst_element_set_state(playbin_.get(), GST_STATE_PAUSED);
}

void MediaPlayer::stop() {
    if (playbin_) gst_element_set_state(playbin_.get(), GST_STATE_NULL);
    set_playing(false);
    position_.set_value(0);
}

int MediaPlayer::on_bus_message(GstBus*, GstMessage* message, void* data) {
    auto* self = static_cast<MediaPlayer*>(data);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_STATE_CHANGED:
        if (GST_MESSAGE_SRC(message) == GST_OBJECT(self->playbin_.get())) {
            GstState state;
            gst_message_parse_state_changed(message, nullptr, &state, nullptr);
            self->set_playing(state == GST_STATE_PLAYING);
        }
        break;
    case GST_MESSAGE_ERROR:  // an address that does not play: silently stopped
    case GST_MESSAGE_EOS:
        self->stop();
        break;
    default:
        break;
    }
    return TRUE;
}

void MediaPlayer::set_playing(bool playing) {
    if (playing == playing_) return;
    playing_ = playing;
    play_pause_.set_image_from_icon_name(playing ? "media-playback-pause-symbolic" : "media-playback-start-symbolic");
    label(play_pause_, playing ? "Pause" : "Play");
    position_.set_sensitive(playing);
    // The position is only followed while something plays, so an idle player costs nothing.
    position_timer_.disconnect();
    if (playing) position_timer_ = Glib::signal_timeout().connect(sigc::mem_fun(*this, &MediaPlayer::update_position), 500);
}

bool MediaPlayer::update_position() {
    gint64 position = 0, duration = 0;
    if (playbin_ && gst_element_query_position(playbin_.get(), GST_FORMAT_TIME, &position) &&
        gst_element_query_duration(playbin_.get(), GST_FORMAT_TIME, &duration) && duration > 0) {
        position_.set_range(0, static_cast<double>(duration) / GST_SECOND);
        position_.set_value(static_cast<double>(position) / GST_SECOND);
    }
    return true;
}

bool MediaPlayer::on_seek(Gtk::ScrollType, double seconds) {
    if (playbin_)
        gst_element_seek_simple(playbin_.get(), GST_FORMAT_TIME,
                                static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT),
                                static_cast<gint64>(seconds * GST_SECOND));
    return false;
}

}  // namespace kelvane
