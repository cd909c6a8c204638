"""Shape of every language pack: which commands exist, how the menus and
toolbars are built and which shortcuts they carry.  Texts live in
<code>/texts.py; everything here is the same in every language."""

# The eleven packs: (pack folder and file stem, language code of the settings).
PACKS = [
    ("en", "en"), ("ch", "ch"), ("cht", "cht"), ("pg", "pg"), ("jp", "jp"),
    ("Fre", "fre"), ("Ger", "ger"), ("Ko", "ko"), ("Spa", "spa"), ("Bas", "bas"),
    ("Cata", "cata"),
]

# Language commands and the name each language has in itself.
LANGUAGE_COMMANDS = [
    (32809, "English"), (32808, "简体中文"), (32866, "繁體中文"), (32880, "Português"),
    (32881, "日本語"), (32882, "Français"), (32883, "Deutsch"), (32884, "한국어"),
    (32885, "Español"), (32886, "Euskara"), (32887, "Català"),
]

# Keyboard shortcuts, written as Qt's portable key sequence text.
SHORTCUTS = {
    57600: "Ctrl+N", 57601: "Ctrl+O", 57603: "Ctrl+S", 57607: "Ctrl+P", 57665: "Ctrl+Q",
    57643: "Ctrl+Z", 57644: "Ctrl+Y", 32780: "Ctrl+L", 32781: "Ctrl+R",
    32799: "Ctrl++", 32793: "Ctrl+-", 32795: "Ctrl+0", 32873: "Ctrl+F",
    32851: "Alt+Left", 32852: "Alt+Right", 32853: "Alt+Home", 32854: "Alt+End",
    32807: "F5", 1000: "F6", 32910: "F11", 32794: "F9", 32846: "F1",
    32870: "Ctrl+T", 32872: "Ctrl+Shift+T", 32805: "Ctrl+Shift+P", 57604: "Ctrl+Shift+S",
}

SEP = None


def popup(key, *items):
    return {"popup": key, "items": list(items)}


def languages():
    return popup("language", *[cid for cid, _ in LANGUAGE_COMMANDS])


# Main menu (128).  Integers are command ids, SEP a separator, dicts popups.
MENU128 = [
    popup("file",
          57600, 57601, 57603, 57604, 32878, 32877, 32894, SEP,
          57612, SEP,
          57607, 32804, 57609, 57606, SEP,
          popup("recent", 57616), 32850, SEP,
          57665),
    popup("edit",
          57643, 57644, SEP,
          32775, 32859, 32797, 32857, SEP,
          32864, 32867),
    popup("image",
          32780, 32781, 32791, 32778, 32779, SEP,
          32796, SEP,
          popup("adjust", 32782, 32783, 32784, 32785, SEP, 32786, 32787), SEP,
          32788, 32789, 32790, SEP,
          32890, 32891, 32892),
    popup("view",
          1000, 32910, SEP,
          32799, 32793, 32795, SEP,
          32861, 32862, SEP,
          32853, 32851, 32852, 32854, SEP,
          32794, 32873, SEP,
          languages()),
    popup("camera",
          32807, 32855, 32856, SEP,
          32805, SEP,
          32792, 32815),
    popup("recognize",
          32872, 32870, SEP,
          32876, 32875, SEP,
          32874, 32879),
    popup("tools",
          32868, 32858),
    popup("help",
          32846, 32860, SEP,
          57664),
]

# Thumbnail context menu (155): one popup, shown as submenu 0.
MENU155 = [
    popup("thumbs",
          32872, 32870, SEP,
          32877, 32894, 32874, SEP,
          32801, 32800, 32847),
]

# Main toolbar (128); 0 is a separator.  Bitmaps 161-163 hold one 28-pixel
# image per button in this order.
TOOLBAR128 = [
    57601, 57603, 0, 57607, 0,
    1000, 32910, 32807, 32855, 32856, 32792, 0,
    32799, 32793, 32795, 0,
    32851, 32852, 0,
    57643, 57644, 0,
    32780, 32781, 0,
    32775, 32859, 32797, 32857, 0,
    32872, 32870, 0,
    32877, 32894, 0,
    32846,
]

# Menu icon strip (168): icons for menu commands that have no main toolbar
# button.  Bitmap 170 holds one 16-pixel image per button in this order.
TOOLBAR168 = [
    57600, 57604, 32878, 57612, 32804, 57609, 57606, 32850, 57665, 0,
    32864, 32867, 0,
    32778, 32779, 32791, 32796, 32782, 32783, 32784, 32785, 32786, 32787,
    32788, 32789, 32790, 0,
    32861, 32862, 32853, 32854, 32794, 32873, 0,
    32911, 32912, 32913, 32925, 32926, 32927, 32928, 32929, 32930, 0,
    32815, 32876, 32875, 32874, 32879, 0,
    32868, 32858, 32860, 57664, 0,
    32800, 32801, 32847,
]

# Commands that have a string (status tip "\n" tooltip) but no menu item:
# print-preview bar buttons, the direct print, search-bar buttons.
# The presenter window's own buttons (freeze, turn, photo beside, drawing)
# come here too.
EXTRA_COMMANDS = [57608, 1043, 1046, 1047, 1050, 1051, 1083, 1085, 32911, 32912, 32913,
                  32925, 32926, 32927, 32928, 32929, 32930]


def menu_commands(tree):
    out = []
    for entry in tree:
        if isinstance(entry, dict):
            out += menu_commands(entry["items"])
        elif entry is not None:
            out.append(entry)
    return out


def all_commands():
    ids = []
    for cid in (menu_commands(MENU128) + menu_commands(MENU155) + TOOLBAR128
                + TOOLBAR168 + EXTRA_COMMANDS):
        if cid and cid not in ids:
            ids.append(cid)
    return ids
