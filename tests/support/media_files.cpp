#include "tests/support/media_files.h"

#include <gdkmm/pixbuf.h>
#include <gst/gst.h>

namespace kelvane::test {

void write_wav(const std::filesystem::path& path, double seconds) {
    gst_init(nullptr, nullptr);
    const auto tenths = std::to_string(static_cast<int>(seconds * 10));
    GstElement* pipeline = gst_parse_launch(("audiotestsrc volume=0.03 samplesperbuffer=800 num-buffers=" + tenths +
                                             " ! audio/x-raw,format=S16LE,rate=8000,channels=1 ! wavenc ! filesink location=\"" +
                                             path.string() + "\"").c_str(), nullptr);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    gst_message_unref(gst_bus_timed_pop_filtered(bus, GST_CLOCK_TIME_NONE, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
}

Picture png_picture(int width, int height, std::uint32_t rgba) {
    auto pixbuf = Gdk::Pixbuf::create(Gdk::COLORSPACE_RGB, false, 8, width, height);
    pixbuf->fill(rgba);
    gchar* buffer = nullptr;
    gsize size = 0;
    pixbuf->save_to_buffer(buffer, size, "png");
    Picture picture{{reinterpret_cast<std::uint8_t*>(buffer), reinterpret_cast<std::uint8_t*>(buffer) + size}};
    g_free(buffer);
    return picture;
}

}  // namespace kelvane::test
