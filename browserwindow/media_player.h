// The media player: GStreamer's playbin with a compact control strip (play/pause,
// stop, position, volume). Given an address it starts playing by itself, also while
// hidden; the empty address stops it. Failures never show a dialog.
//
// Setting GStreamer up (its plugin registry, probing the audio output) takes from a
// tenth of a second to seconds, so the player is built on a worker thread once the
// main loop is idle: a window and its page never wait for the song, and closing never
// waits for the build or for an audio output that does not open.
#pragma once

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/scale.h>

#include <memory>

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;
typedef struct _GstBus GstBus;

namespace kelvane {

class MediaPlayer : public Gtk::Box {
public:
    MediaPlayer();
    ~MediaPlayer() override;

    void set_URL(const Glib::ustring& url);
    const Glib::ustring& URL() const { return url_; }

    // GStreamer reports the song as playing.
    bool playing() const { return playing_; }
    // The pipeline is built; until then an address given waits for it.
    bool ready() const { return playbin_ != nullptr; }
    // 0 to 100.
    double volume() const { return volume_.get_value(); }

    // The status for a program's main to return; while a player's thread still runs (a
    // build, or an output that never opened) the program ends here at once (_exit), since
    // the libraries it would unload and the objects it would destroy are in use there.
    static int exit_status(int status);

    // A file name or a web address as GStreamer takes it.
    static std::string url_to_uri(const Glib::ustring& url);

private:
    struct ElementUnref {
        void operator()(GstElement* element) const;
    };
    struct Build;

    // Starts building the pipeline, once; adopt() takes it over on the main thread.
    void request_pipeline();
    static void run_build(std::shared_ptr<Build> build);
    static int finish_build(void* build);
    void adopt(GstElement* playbin);
    void play();
    void pause();
    void stop();
    static int on_bus_message(GstBus* bus, GstMessage* message, void* self);
    void set_playing(bool playing);
    bool update_position();
    bool on_seek(Gtk::ScrollType, double value);

    Gtk::Button play_pause_, stop_;
    Gtk::Scale position_, volume_;
    std::unique_ptr<GstElement, ElementUnref> playbin_;
    std::shared_ptr<Build> build_;
    sigc::connection build_start_;
    unsigned bus_watch_ = 0;
    sigc::connection position_timer_;
    Glib::ustring url_;
    bool playing_ = false;
};

}  // namespace kelvane
