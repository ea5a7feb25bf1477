#!/usr/bin/env python3
"""A Tk window embedding a Glimmer control through the plain C interface
(glimmer.h) with ctypes: the smallest container in another language.

    python3 examples/tk_container.py [--library PATH] [FILE|URL]

Without a file the control shows its default scene. The library defaults
to build/bin/libglimmer.so of this source tree; the example registers it,
as installing the control would, so that it finds the core beside it."""
import argparse
import ctypes
import os
import sys
import tkinter as tk
from tkinter import filedialog, messagebox

HERE = os.path.dirname(os.path.abspath(__file__))

MESSAGE_BOX = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p)
BROWSE = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p,
                          ctypes.POINTER(ctypes.c_char), ctypes.c_int)
TOOLS_WINDOW = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_int)
ABOUT = ctypes.CFUNCTYPE(None, ctypes.c_void_p)
DATA_CHANGED = ctypes.CFUNCTYPE(None, ctypes.c_void_p)


class Callbacks(ctypes.Structure):
    _fields_ = [("user", ctypes.c_void_p), ("message_box", MESSAGE_BOX), ("browse", BROWSE),
                ("tools_window", TOOLS_WINDOW), ("about", ABOUT), ("data_changed", DATA_CHANGED)]


def load_library(path):
    lib = ctypes.CDLL(path)
    lib.glimmer_create.restype = ctypes.c_void_p
    lib.glimmer_create.argtypes = [ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                   ctypes.POINTER(Callbacks)]
    lib.glimmer_destroy.argtypes = [ctypes.c_void_p]
    lib.glimmer_load.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
    lib.glimmer_resize.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_int]
    lib.glimmer_process_events.restype = ctypes.c_int
    lib.glimmer_tools_command.argtypes = [ctypes.c_int]
    lib.DllRegisterServer.restype = ctypes.c_int32
    return lib


class TkContainer:
    def __init__(self, lib, source):
        self.lib = lib
        self.root = tk.Tk()
        self.root.title("Glimmer in Tk")
        self.frame = tk.Frame(self.root, width=480, height=360, bg="black")
        self.frame.pack(fill=tk.BOTH, expand=True)
        self.tools = None
        # Kept as attributes: the control calls them for as long as it lives.
        self.callbacks = Callbacks(None, MESSAGE_BOX(self.message_box), BROWSE(self.browse),
                                   TOOLS_WINDOW(self.tools_window), ABOUT(self.about), DATA_CHANGED(lambda user: None))
        self.root.update()  # the frame needs its X window before the control can use it
        self.control = lib.glimmer_create(self.frame.winfo_id(), 0, 0, self.frame.winfo_width(),
                                          self.frame.winfo_height(), ctypes.byref(self.callbacks))
        if not self.control:
            raise SystemExit("tk_container: the control could not be created")
        if source:
            lib.glimmer_load(self.control, source.encode())
        self.frame.bind("<Configure>", self.resized)
        self.root.protocol("WM_DELETE_WINDOW", self.close)
        self.pump()

    def pump(self):
        next_timer = self.lib.glimmer_process_events()
        self.root.after(10 if next_timer < 0 else max(1, min(next_timer, 10)), self.pump)

    def resized(self, event):
        self.lib.glimmer_resize(self.control, 0, 0, event.width, event.height)

    def message_box(self, user, caption, text):
        messagebox.showwarning(caption.decode(errors="replace"), text.decode(errors="replace"))

    def browse(self, user, title, pattern, name, size):
        chosen = filedialog.askopenfilename(title=title.decode(), filetypes=[("Kavrik Files", pattern.decode())])
        data = chosen.encode() if chosen else b""
        if not data or len(data) >= size:
            return 0
        ctypes.memmove(name, data + b"\0", len(data) + 1)
        return 1

    def tools_window(self, user, action):
        create, show, hide, flash, destroy = range(5)
        if action == create and not self.tools:
            self.tools = tk.Toplevel(self.root)
            self.tools.title("kavrik publish - tools")
            for label, command in [("Open...", 204), ("Play", 207), ("Stop", 208), ("About", 206)]:
                tk.Button(self.tools, text=label, command=lambda c=command: self.lib.glimmer_tools_command(c)
                          ).pack(side=tk.LEFT, padx=2, pady=2)
            self.tools.protocol("WM_DELETE_WINDOW", lambda: self.tools_window(None, destroy))
        elif action == destroy and self.tools:
            self.tools.destroy()
            self.tools = None
        elif self.tools and action == show:
            self.tools.deiconify()
        elif self.tools and action == hide:
            self.tools.withdraw()
        elif self.tools and action == flash:
            self.tools.lift()
        return 1 if self.tools or action == destroy else 0

    def about(self, user):
        messagebox.showinfo("kavrik publish - about", "Kavrik Publish 1.4.6 build 040707")

    def close(self):
        self.lib.glimmer_destroy(self.control)
        self.control = None
        self.root.destroy()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--library", default=os.path.join(HERE, "..", "build", "bin", "libglimmer.so"))
    parser.add_argument("source", nargs="?", help="a .kvx file or an http(s) URL")
    args = parser.parse_args()
    lib = load_library(os.path.abspath(args.library))
    if lib.DllRegisterServer() != 0:
        raise SystemExit("tk_container: registering the control failed")
    container = TkContainer(lib, args.source)
    container.root.mainloop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
