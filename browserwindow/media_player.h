// The media player: GStreamer's playbin with a compact control strip (play/pause,
// stop, position, volume). Given an address it starts playing by itself, also while
// hidden; the empty address stops it. Failures never show a dialog.
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
    // 0 to 100.
    double volume() const { return volume_.get_value(); }

    // A file name or a web address as GStreamer takes it.
    static std::string url_to_uri(const Glib::ustring& url);

private:
    struct ElementUnref {
        void operator()(GstElement* element) const;
    };

    void ensure_pipeline();
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
    unsigned bus_watch_ = 0;
    sigc::connection position_timer_;
    Glib::ustring url_;
    bool playing_ = false;
};

}  // namespace kelvane
