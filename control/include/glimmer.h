#ifndef GLIMMER_H
#define GLIMMER_H
/* Plain C interface of the Glimmer control (libglimmer.so), for containers
 * written in any language or toolkit: create a control inside an X11 window
 * of your own, feed it events and timers from your loop, and persist it as
 * a byte buffer. Every call comes from the same thread. Functions returning
 * int give 1 for success and 0 for failure. */
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct glimmer_control glimmer_control;

/* Answers to the control's dialogs. Any member may be null: message boxes
 * then go to standard error, browsing is cancelled, the tools window and
 * the About dialog are not shown. */
typedef struct glimmer_callbacks {
  void* user;
  void (*message_box)(void* user, const char* caption, const char* text);
  /* Fills `name` with an existing file; 0 when cancelled. */
  int (*browse)(void* user, const char* title, const char* pattern, char* name, int name_size);
  /* action: 0 create, 1 show, 2 hide, 3 flash, 4 destroy; 0 when it cannot. */
  int (*tools_window)(void* user, int action);
  void (*about)(void* user);
  void (*data_changed)(void* user);
} glimmer_callbacks;

/* A control as a child of the X window `parent` (on $DISPLAY), at x, y with
 * the given size. `callbacks` is copied; null for none. */
glimmer_control* glimmer_create(unsigned long parent, int x, int y, int width, int height,
                                const glimmer_callbacks* callbacks);
/* Destroys the control and its window. */
void glimmer_destroy(glimmer_control* control);

/* A file name or an http:// or https:// URL, loaded at the next paint. */
int glimmer_load(glimmer_control* control, const char* name);
int glimmer_start_anim(glimmer_control* control);
int glimmer_stop_anim(glimmer_control* control);
/* Nonzero: the overlay button opens the tools window, else the About dialog. */
int glimmer_show_toolbar(glimmer_control* control, int visible);
int glimmer_resize(glimmer_control* control, int x, int y, int width, int height);
/* The control's own X window. */
unsigned long glimmer_window(glimmer_control* control);

/* Handles the pending X events and due timers of every control of the
 * process and paints what needs it. Returns the delay in milliseconds until
 * the next timer, or -1 when none runs; call it again by then, or when the
 * descriptor of glimmer_connection_fd() becomes readable. */
int glimmer_process_events(void);
int glimmer_connection_fd(void);

/* A press of the tools window's button 204 (browse), 206 (About),
 * 207 (play) or 208 (stop); acts on the control clicked last. */
void glimmer_tools_command(int control_id);

/* The control's persisted stream, in a buffer to free with glimmer_free. */
int glimmer_save(glimmer_control* control, unsigned char** bytes, size_t* size);
int glimmer_load_stream(glimmer_control* control, const unsigned char* bytes, size_t size);
void glimmer_free(void* bytes);

#ifdef __cplusplus
}
#endif
#endif
