#pragma once
// Numbers shared by kvx_core, its hosts and the conference code: command
// codes, the live view's display flags and the scene flags. Stored files,
// conference peers and both hosts rely on these values; never change one.
#include <cstdint>

// Codes that kvx_GL_Plugin::OnEvent acts on. Any other code returns false.
enum kvx_Command : int {
  EV_VIEW_TOP = 200,
  EV_VIEW_FRONT = 201,
  EV_VIEW_RIGHT = 202,
  EV_VIEW_LEFT = 203,
  EV_VIEW_BACK = 204,
  EV_VIEW_BOTTOM = 205,
  EV_VIEW_CAMERA = 206,
  EV_FIT = 207,
  EV_TOGGLE_TRANSITIONS = 208,
  EV_NEXT_CAMERA = 211,
  EV_NEXT_ITEM = 212,
  EV_PREVIOUS_ITEM = 213,
  EV_TOGGLE_OBJECT_MODE = 214,
  EV_TOGGLE_AUTO_LIGHT = 215,
  EV_ROTATE_MODE = 500,
  EV_PAN_MODE = 501,
  EV_ZOOM_MODE = 502,
  EV_SWAP_YZ = 517,
  EV_RECOMPUTE_NORMALS = 518,
  EV_LINES = 600,
  EV_FACES = 601,
  EV_TRANS = 602,
  EV_NOOP_603 = 603,
  EV_NODES = 604,
  EV_AXIS = 605,
  EV_TOGGLE_UP_AXIS = 608,
  EV_DELETE_SELECTION = 804,
  EV_KEEP_SELECTION = 877,
  EV_SELECT_ALL = 900,
  EV_INVERT_SELECTION = 901,
  EV_SELECTION_MODE = 903,
  EV_SELECT_NONE = 912,
  EV_MEASUREMENT_MODE = 1006,
  EV_ANIM_START = 1101,
  EV_ANIM_STEP = 1102,
  EV_ANIM_STOP = 1103,
  EV_ANIM_STOP_AND_CANCEL = 2000,
  EV_DELETE_CAPTURE = 2001,
  EV_CAPTURE_READY = 2002,
  EV_NOOP_2003 = 2003,
};

// Menu, tool and key numbers that only the hosts act on. They share the
// numbering above: a host forwards some of them to OnEvent unchanged.
enum kvx_HostCommand : int {
  KVX_CMD_OPEN = 100,
  KVX_CMD_CLOSE = 101,
  KVX_CMD_EXIT = 103,
  KVX_CMD_PROPERTIES = 110,
  KVX_CMD_COLLABORATION = 114,
  KVX_CMD_SET_CAMERA = 300,    // the camera submenu; camera n is 300 + n
  KVX_CMD_FIRST_CAMERA = 301,
  KVX_CMD_LAST_CAMERA = 399,
  KVX_CMD_DISPLAY_606 = 606,   // a display tool the core does not know
  KVX_CMD_HELP_SUPPORT = 700,
  KVX_CMD_ABOUT = 702,
  KVX_CMD_HELP_HOME = 703,
  KVX_CMD_HELP_DOCUMENTATION = 704,
  KVX_CMD_HELP_FEEDBACK = 705,
  KVX_CMD_ANNOTATIONS = 1000,  // tool panels
  KVX_CMD_CUTTING_PLANE = 1002,
  KVX_CMD_SCENE_PROPERTIES = 1003,
  KVX_CMD_ANIMATION = 1100,
  KVX_CMD_SET_VIEW = 1200,
};

// Bits of kvx_ManipInfo::displayFlags.
enum kvx_DisplayFlag : uint8_t {
  KVX_DISPLAY_LINES = 0x01,    // edges drawn, lighting off
  KVX_DISPLAY_NORMALS = 0x02,  // each vertex normal drawn as a short line
  KVX_DISPLAY_FACES = 0x04,    // filled polygons
  KVX_DISPLAY_TRANS = 0x08,    // transparency
  KVX_DISPLAY_AXIS1 = 0x10,    // axes and bounds; the axis command toggles both
  KVX_DISPLAY_AXIS2 = 0x20,
};

// Bits of a scene's flags (kvx_SceneInfo::sceneFlags), stored with the file.
enum kvx_SceneFlag : uint32_t {
  KVX_SCENE_SHOW_AXES = 0x01,       // follows KVX_DISPLAY_AXIS1
  KVX_SCENE_MEASURED = 0x02,        // a measurement with two distinct points exists
  KVX_SCENE_Z_UP = 0x04,            // clear: the scene is Y-up
  KVX_SCENE_RAW_CAPTURE = 0x40,     // a capture not optimised yet
  KVX_SCENE_SHOW_NORMALS = 0x600,   // both bits follow KVX_DISPLAY_NORMALS; either shows them
  KVX_SCENE_SHOW_FACES = 0x800,     // follows KVX_DISPLAY_FACES; stored inverted
  KVX_SCENE_SHOW_LINES = 0x1000,    // follows KVX_DISPLAY_LINES
  KVX_SCENE_SHOW_TRANSPARENT = 0x2000,  // follows KVX_DISPLAY_TRANS
};
