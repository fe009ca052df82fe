#!/usr/bin/env python3
"""The Windows programs of the program folder under Wine, driven as a person
would: the editor is typed into and clicked, the tray menu opened, Wine's own
Open dialog read, the updater's commands run. Everything happens in a private
Wine prefix on a private X display (scripts/wine-session.sh), on a copy of the
program folder.

  program_proofs.py --program-dir build-win/Varnel --probe places_bar_probe.exe
                    --desktop-probe desktop_root_probe.exe
                    --probe32 places_bar_probe32.exe
                    --desktop-probe32 desktop_root_probe32.exe [--screenshots DIR]

The 32-bit probes look at the Open dialog and the desktop root as a 32-bit
program does.

Prints "N passed, N failed" and the start-up time; exits non-zero on a failure.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
PLACES_BAR = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Policies\comdlg32\PlacesBar"
OFFICE = r"HKCU\Software\Microsoft\Office\12.0\Common\Open Find\Places"
SETTINGS = r"HKCU\Software\Varnel\VarnelZize"
RUN = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
EDITOR_TITLE = "Varnel Zize - ver"
# Editor layout (window pixels): buttons are 80 x 25 images.
ADD_NEW, SAVE = (62, 48), (62, 112)
NAME_BOX = (240, 57)
PLACE_BOX = [(240, 93 + 30 * i) for i in range(5)]
QUESTION_OK = (70, 78)
# The navigation pane's five slots, and what marks their keys as the program's.
SLOT_IDS = [f"{{377C742E-5507-469C-A9EA-0FB0926479B{i}}}" for i in range(1, 6)]
NAME_SPACE = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Desktop\NameSpace"

# Wine's own tools in the registry's 64-bit view, where the program writes:
# with Wine's 32-bit side installed, Debian's "wine" starts them as 32-bit
# programs. Debian keeps wine64 off the PATH.
WINE64 = shutil.which("wine64") or ("/usr/lib/wine/wine64" if os.access("/usr/lib/wine/wine64", os.X_OK) else "wine")

results = []


def check(name, ok, detail=""):
    results.append(ok)
    print(("PASS " if ok else "FAIL ") + name + ("" if ok or not detail else ": " + str(detail)), flush=True)
    return ok


def wait_for(predicate, timeout=60.0, step=0.5):
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() > end:
            return value
        time.sleep(step)


def run(*args, timeout=120, **kw):
    return subprocess.run(list(args), capture_output=True, timeout=timeout, **kw)


def xdo(*args):
    return run("xdotool", *[str(a) for a in args], timeout=30).stdout.decode(errors="replace").strip()


def windows(name):
    out = xdo("search", "--onlyvisible", "--name", name)
    return [w for w in out.split() if w]


def geometry(window):
    g = {}
    for line in xdo("getwindowgeometry", "--shell", window).splitlines():
        if "=" in line:
            k, v = line.split("=", 1)
            g[k] = int(v) if v.lstrip("-").isdigit() else v
    return g


def window_of_size(name, width, height):
    for w in windows(name):
        g = geometry(w)
        if g.get("WIDTH") == width and g.get("HEIGHT") == height:
            return w
    return None


def click(window, at, button=1):
    g = geometry(window)
    xdo("mousemove", g["X"] + at[0], g["Y"] + at[1])
    time.sleep(0.2)
    xdo("click", button)
    time.sleep(0.4)


def type_into(window, at, text):
    click(window, at)
    xdo("key", "--clearmodifiers", "ctrl+a")
    time.sleep(0.2)
    xdo("type", "--delay", "40", text)
    time.sleep(0.3)


def shows_text(window, at, half_width=90, half_height=5):
    """Whether the box of the window around `at` has ink in it: dark text or
    a selection, not only its white background."""
    with tempfile.TemporaryDirectory() as tmp:
        shot = Path(tmp) / "box.png"
        x, y = at[0] - half_width, at[1] - half_height
        run("import", "-window", window, "-crop", f"{2 * half_width}x{2 * half_height}+{x}+{y}", str(shot))
        if not shot.exists():
            return False
        # The share of pixels darker than the box's light grey border.
        dark = run("convert", str(shot), "-colorspace", "gray", "-threshold", "62%", "-negate",
                   "-format", "%[fx:mean]", "info:").stdout.decode().strip()
        return float(dark or 0) * 4 * half_width * half_height >= 20


def winpath(unix_path):
    return run("winepath", "-w", unix_path).stdout.decode("utf-8", "replace").strip()


def reg_values(key):
    """The values of one key as Wine's reg.exe exports them, or None."""
    with tempfile.TemporaryDirectory() as tmp:
        out = Path(tmp) / "key.reg"
        r = run(WINE64, "reg", "export", key, "Z:" + str(out).replace("/", "\\"), "/y")
        if r.returncode != 0 or not out.exists():
            return None
        raw = out.read_bytes()
    text = raw.decode("utf-16") if raw[:2] in (b"\xff\xfe", b"\xfe\xff") else raw.decode("utf-8", "replace")
    values, section = {}, None
    for line in text.splitlines():
        if line.startswith("["):
            section = line.strip("[]")
            continue
        if section is None or section.lower() != key.replace("HKCU", "HKEY_CURRENT_USER").lower() or "=" not in line:
            continue
        name, value = line.split("=", 1)
        name = name.strip('"')
        if value.startswith('"'):
            values[name] = value[1:-1].replace('\\"', '"').replace("\\\\", "\\")
        elif value.startswith("dword:"):
            values[name] = int(value[6:], 16)
        else:
            values[name] = value
    return values


def wine32_installed():
    """Wine's 32-bit side, which scripts/install-deps.sh leaves out on a
    machine that runs no 32-bit programs."""
    r = run("dpkg-query", "-W", "-f=${Status}", "wine32:i386")
    return r.returncode == 0 and b"install ok installed" in r.stdout


def start_and_wait(*args, cwd, timeout=150):
    """Runs a program to its end; what it starts in turn keeps running."""
    subprocess.run(list(args), cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=timeout)


def screenshot(folder, name):
    if folder:
        run("import", "-window", "root", str(Path(folder) / name))


def save_group(editor, name, places, adding_first):
    if not adding_first:
        click(editor, ADD_NEW)
    type_into(editor, NAME_BOX, name)
    for box, place in zip(PLACE_BOX, places):
        type_into(editor, box, place)
    check("the typed places can be read in their boxes", all(shows_text(editor, box) for box in PLACE_BOX))
    click(editor, SAVE)
    box = wait_for(lambda: window_of_size(EDITOR_TITLE, 250, 100), 30)
    if not check("the editor asks before saving " + name, bool(box)):
        return False
    click(box, QUESTION_OK)
    return wait_for(lambda: (reg_values(SETTINGS) or {}).get("CurrentGroup") == name, 30)


def probe_captions(probe):
    r = run("wine", probe, timeout=120)
    return [line for line in r.stdout.decode("utf-8", "replace").replace("\r", "").split("\n") if line]


def desktop_root(probe, *opened):
    """The shell's desktop root as another program lists it: (name, parsing
    name, content) per entry, the content only of the entries named."""
    r = run("wine", probe, *opened, timeout=120)
    entries = []
    for line in r.stdout.decode("utf-8", "replace").replace("\r", "").split("\n"):
        if line.startswith("\t") and entries:
            entries[-1][2].append(line[1:])
        elif line:
            name, _, parsing = line.partition("\t")
            entries.append((name, parsing, []))
    return entries


def pane_names(entries):
    """The names of the navigation pane's entries that are the program's slots."""
    ours = {"::" + i.lower() for i in SLOT_IDS}
    return sorted(name for name, parsing, _ in entries if parsing.lower() in ours)


def slot_keys_left():
    """The keys of the navigation pane's slots still in the registry."""
    keys = [NAME_SPACE + "\\" + i for i in SLOT_IDS]
    for root in ("HKCU", "HKLM"):
        for classes in (r"\Software\Classes\CLSID", r"\Software\Classes\Wow6432Node\CLSID"):
            keys += [root + classes + "\\" + i for i in SLOT_IDS]
    return [k for k in keys if reg_values(k) is not None]


def desktop_listing(probe):
    return sorted((name, parsing) for name, parsing, _ in desktop_root(probe))


def windows_pid(executable):
    """The Windows process number of a running process of Wine's, from winedbg's list."""
    listing = run("wine", "winedbg", "--command", "info proc").stdout.decode(errors="replace")
    for line in listing.splitlines():
        found = re.match(r"\s*=?([0-9a-fA-F]{8})\s+\d+\s+(?:\\_ )?'(.*)'", line)
        if found and found.group(2).lower() == executable.lower():
            return int(found.group(1), 16)
    return None


def hand_lock_to_live_process(lock):
    """Makes a lock left by a killed copy name a live process of the name it
    records, as when Wine or Windows has given the killed copy's process
    number to another process: Qt then never reads the lock as stale."""
    pid = windows_pid("explorer.exe")
    if pid is None:
        return False
    lines = lock.read_bytes().split(b"\n")
    lines[0:2] = [str(pid).encode(), b"explorer"]
    lock.write_bytes(b"\n".join(lines))
    return True


def proofs(program_dir, probe, desktop_probe, probe32, desktop_probe32, shots):
    work = Path(tempfile.mkdtemp(prefix="varnel-proofs."))
    folder = work / "Varnel"
    shutil.copytree(program_dir, folder, ignore=shutil.ignore_patterns("Error.log", "loggaren.log", "Temp"))
    exe, updater = str(folder / "Varnel_Zize.exe"), str(folder / "Varnel_Zize_Update.exe")
    prefix = Path(os.environ["WINEPREFIX"])
    # Folders that exist, so that the Open dialog shows them, one of them with
    # a name outside ASCII.
    drive = prefix / "drive_c"
    for sub in ("Data/Möten", "Data/Projekt", "Data/2008"):
        (drive / sub).mkdir(parents=True, exist_ok=True)
    (drive / "Data/Möten/Protokoll.txt").write_text("x")
    (drive / "Data/Projekt/Plan.txt").write_text("x")
    # xdotool types letters without shift state under Wine: ö, not Ö.
    work_group = [r"C:\Data\Möten", r"C:\Data\Projekt", r"C:\windows", r"C:\Data\2008", r"C:\Program Files"]
    music_group = [r"C:\windows\Fonts", r"C:\users", r"C:\Data", r"C:\windows\system32", r"C:\ProgramData"]
    run("wine", "reg", "add", OFFICE + r"\StandardPlaces\Desktop", "/f")

    tray = subprocess.Popen(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                             "--height", "24", "--SetDockType", "true"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    main = None
    try:
        # What the desktop root and a 32-bit program's Open dialog and desktop
        # root hold before the program ever ran.
        desktop_before = desktop_listing(desktop_probe)
        wine32 = wine32_installed()
        if wine32:
            captions_before32, desktop_before32 = probe_captions(probe32), desktop_listing(desktop_probe32)
        else:
            print("SKIP what a 32-bit program sees: Wine's 32-bit side (wine32:i386) is not installed"
                  " (scripts/install-deps.sh says why)", flush=True)
        # 1. Start-up: splash, then the editor, on an empty database.
        started = time.monotonic()
        main = subprocess.Popen(["wine", exe], cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        editor = wait_for(lambda: window_of_size(EDITOR_TITLE, 401, 250), 180)
        startup = time.monotonic() - started
        if not check("the editor window appears", bool(editor)):
            return
        print(f"startup_to_visible_editor_wine: {startup:.1f} s", flush=True)
        # The editor is mapped while the splash still covers it.
        splash = lambda: any(geometry(w).get("WIDTH") == 299 and geometry(w).get("HEIGHT") == 147
                             for w in xdo("search", "--onlyvisible", "--class", "varnel_zize").split())
        wait_for(lambda: not splash() and shows_text(editor, NAME_BOX), 20)
        check("the new-name box shows its text", shows_text(editor, NAME_BOX))
        screenshot(shots, "windows-editor.png")

        # 2. A group typed into the editor and saved reaches the registry.
        check("the first group is saved", save_group(editor, "Arbete", work_group, True))
        bar = wait_for(lambda: reg_values(PLACES_BAR), 20) or {}
        check("PlacesBar holds the five places as typed (non-ASCII included)",
              [bar.get(f"place{i}") for i in range(5)] == work_group, bar)
        names = [(reg_values(OFFICE + rf"\UserDefinedPlaces\Place{i}") or {}).get("Name") for i in range(5)]
        paths = [(reg_values(OFFICE + rf"\UserDefinedPlaces\Place{i}") or {}).get("Path") for i in range(5)]
        check("the Office places hold the group", paths == work_group and names[0] == "Möten", (names, paths))
        check("Office's own places are hidden",
              (reg_values(OFFICE + r"\StandardPlaces\Desktop") or {}).get("Show") == 0)

        # 3. Wine's own Open dialog shows the group.
        expected = ["Möten", "Projekt", "windows", "2008", "Program Files"]
        captions = probe_captions(probe)
        check("the Open dialog's places bar shows the group", captions == expected, captions)
        # The new-style dialog's navigation pane is the shell's desktop root.
        root = desktop_root(desktop_probe, "Möten")
        check("the desktop root shows each folder of the group under its name",
              pane_names(root) == sorted(expected), root)
        check("opening the non-ASCII folder there lists its content",
              [content for name, _, content in root if name == "Möten"] == [["Protokoll.txt"]], root)
        # A 32-bit program reads the classes through the registry's 32-bit view.
        if wine32:
            captions32 = probe_captions(probe32)
            check("a 32-bit program's Open dialog shows the group", captions32 == expected, captions32)
            root, root32 = desktop_root(desktop_probe, *expected), desktop_root(desktop_probe32, *expected)
            check("a 32-bit program's desktop root shows each folder of the group under its name",
                  pane_names(root32) == sorted(expected), root32)
            contents = lambda entries: {name: sorted(content) for name, _, content in entries if name in expected}
            check("there each folder opens to its content, as for a 64-bit program",
                  contents(root32) == contents(root) and contents(root32).get("Möten") == ["Protokoll.txt"] and
                  contents(root32).get("Projekt") == ["Plan.txt"] and "Fonts" in contents(root32).get("windows", []),
                  root32)
        if shots:
            holder = subprocess.Popen(["wine", probe, "8"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if wait_for(lambda: windows("^Open$"), 60):
                time.sleep(2)
                screenshot(shots, "windows-open-dialog.png")
            holder.wait(timeout=60)

        # 4. A second group, then back to the first through the tray menu.
        check("the second group is saved", save_group(editor, "Musik", music_group, False))
        check("the second group is applied",
              wait_for(lambda: (reg_values(PLACES_BAR) or {}).get("place0") == music_group[0], 20))
        root = desktop_root(desktop_probe, "Data")
        check("the desktop root shows the second group instead",
              pane_names(root) == sorted(["Fonts", "users", "Data", "system32", "ProgramData"]), root)
        check("opening a folder of the second group lists its content",
              [sorted(content) for name, _, content in root if name == "Data"] == [["2008", "Möten", "Projekt"]],
              root)
        icon = wait_for(lambda: any(geometry(t).get("WIDTH", 0) > 1
                                    for t in xdo("search", "--onlyvisible", "--class", "trayer").split()), 30)

        def open_tray_menu():
            trays = xdo("search", "--onlyvisible", "--class", "trayer").split()
            if not trays:
                return False
            g = geometry(trays[0])
            xdo("mousemove", g["X"] + g["WIDTH"] // 2, g["Y"] + g["HEIGHT"] // 2)
            xdo("click", 3)
            time.sleep(1.0)
            return True

        def switch_from_tray():
            if not open_tray_menu():
                return False
            xdo("key", "Down", "Right")
            time.sleep(0.8)
            # Each try overwrites the picture: the last one opened the menu.
            screenshot(shots, "windows-tray-menu.png")
            xdo("key", "Return")
            return wait_for(lambda: (reg_values(SETTINGS) or {}).get("CurrentGroup") == "Arbete", 5)

        check("the tray icon is in the notification area", bool(icon))
        check("the tray menu switches the group", wait_for(switch_from_tray, 60, 1))
        check("the switch rewrites the places bar",
              wait_for(lambda: (reg_values(PLACES_BAR) or {}).get("place0") == work_group[0], 20))
        check("the Open dialog follows the switch", probe_captions(probe) == expected)
        check("the desktop root follows the switch", pane_names(desktop_root(desktop_probe)) == sorted(expected))
        # Asked from the command line, the running copy says where its group is.
        asked = run("wine", exe, "--status", timeout=60)
        said = asked.stdout.decode("utf-8", errors="replace").replace("\r", "")
        check("--status finds the group in the Places Bar, Office and the navigation pane",
              asked.returncode == 0 and said == "Group: Arbete\nPlaces Bar: holds the group\n"
              "Office: holds the group\nNavigation pane: holds the group\n", (asked.returncode, said))

        # An organisation's policy, as Group Policy writes it, arrives while
        # the program runs: the computer's managed group and ActiveGroup win
        # over the user's ActiveGroup; once the computer's is gone the user's
        # counts; once both are gone the user's own choice is back.
        styrning = list(reversed(work_group))
        policy = r"\Software\Policies\Varnel\VarnelZize"
        run(WINE64, "reg", "add", "HKCU" + policy, "/v", "ActiveGroup", "/t", "REG_SZ", "/d", "Musik", "/f")
        run(WINE64, "reg", "add", "HKLM" + policy + r"\Groups", "/v", "Styrning", "/t", "REG_SZ",
            "/d", "|".join(styrning), "/f")
        run(WINE64, "reg", "add", "HKLM" + policy, "/v", "ActiveGroup", "/t", "REG_SZ", "/d", "Styrning", "/f")
        check("the computer's ActiveGroup reaches the Places Bar, over the user's",
              wait_for(lambda: (reg_values(PLACES_BAR) or {}).get("place0") == styrning[0], 60))
        def first_slot():
            slots = {parsing.lower(): name for name, parsing, _ in desktop_root(desktop_probe)}
            return slots.get("::" + SLOT_IDS[0].lower())

        check("the managed group reaches the navigation pane", wait_for(lambda: first_slot() == "Program Files", 60),
              first_slot())
        asked = run("wine", exe, "--status", timeout=60)
        said = asked.stdout.decode("utf-8", errors="replace").replace("\r", "")
        check("--status names the organisation's group in every place",
              asked.returncode == 0 and said.startswith("Group: Styrning\n") and said.count("holds the group") == 3,
              (asked.returncode, said))
        refused = run("wine", exe, "--group", "Arbete", timeout=60)
        listed = run("wine", exe, "--list", timeout=60).stdout.decode("utf-8", errors="replace").replace("\r", "")
        check("--group is refused with 6 while the organisation sets the group, and --list marks its group",
              refused.returncode == 6 and listed == "  Arbete\n  Musik\n* Styrning (managed)\n",
              (refused.returncode, listed))
        check("the user's choice stays as it was", (reg_values(SETTINGS) or {}).get("CurrentGroup") == "Arbete")
        run(WINE64, "reg", "delete", "HKLM" + policy, "/v", "ActiveGroup", "/f")
        check("without the computer's ActiveGroup the user's one counts",
              wait_for(lambda: (reg_values(PLACES_BAR) or {}).get("place0") == music_group[0], 60))
        run(WINE64, "reg", "delete", "HKLM" + policy, "/f")
        run(WINE64, "reg", "delete", "HKCU" + policy, "/f")
        check("without a policy the user's active group is back",
              wait_for(lambda: (reg_values(PLACES_BAR) or {}).get("place0") == work_group[0], 60))

        # The README's .reg file for machines without a domain, imported by
        # Wine's own regedit as an administrator would: the program follows it.
        example = ROOT / "docs" / "admin" / "varnel-policy.reg"
        check("the README shows the .reg example as it is",
              example.read_text().replace("\r\n", "\n") in (ROOT / "README.md").read_text())
        (drive / "Finance" / "Reports").mkdir(parents=True, exist_ok=True)
        run(WINE64, "regedit", "/s", winpath(str(example)))
        check("the .reg example's group reaches the Places Bar",
              wait_for(lambda: (reg_values(PLACES_BAR) or {}).get("place0") == r"C:\Finance", 60))
        run(WINE64, "reg", "delete", "HKLM" + policy, "/f")
        check("and goes again with the policy",
              wait_for(lambda: (reg_values(PLACES_BAR) or {}).get("place0") == work_group[0], 60))

        # Programs bound to a group: --programs and --list under Windows.
        bound = run("wine", exe, "--programs", "Musik", "notepad.exe", "WINWORD.EXE", timeout=60)
        listed = run("wine", exe, "--list", timeout=60).stdout.decode("utf-8", errors="replace").replace("\r", "")
        check("--programs binds programs to a group and --list names them",
              bound.returncode == 0 and listed == "* Arbete\n  Musik [notepad.exe, WINWORD.EXE]\n", (bound.returncode, listed))

        # Each program in front gets its group: the probe (a program with a
        # window and a text box, as an editor has) uses Musik, Wine's notepad
        # none. A window manager activates them as a person's click would.
        run("wine", exe, "--programs", "Musik", Path(probe).name, timeout=60)
        manager = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        notepad = subprocess.Popen(["wine", "notepad"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        in_front = subprocess.Popen(["wine", probe, "--in-front"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        try:
            pad = wait_for(lambda: windows("Notepad"), 60)
            own = wait_for(lambda: windows("Places bar probe"), 60)
            places_bar = lambda: (reg_values(PLACES_BAR) or {}).get("place0")
            music_first = music_group[0].rsplit("\\", 1)[1]

            def bring_to_front(window, place, slot):
                xdo("windowactivate", window[0])
                return wait_for(lambda: places_bar() == place, 60) and wait_for(lambda: first_slot() == slot, 60)

            if check("notepad and the probe show their windows", bool(pad and own)):
                check("the probe in front puts its group in the Places Bar and the navigation pane",
                      bring_to_front(own, music_group[0], music_first), (places_bar(), first_slot()))
                check("notepad in front, which has no group, brings the active group back",
                      bring_to_front(pad, work_group[0], "Möten"), (places_bar(), first_slot()))
                check("the probe in front again gets its group again",
                      bring_to_front(own, music_group[0], music_first), (places_bar(), first_slot()))
                # Its user asks for the Open dialog now: it shows the group.
                xdo("key", "Return")
                try:
                    shown = in_front.communicate(timeout=120)[0].decode("utf-8", "replace").replace("\r", "").split("\n")
                except subprocess.TimeoutExpired:
                    shown = None
                check("the Open dialog the probe opens shows its group",
                      shown and shown[:5] == [p.rsplit("\\", 1)[1] for p in music_group], shown)
                check("the user's active group stays as it was", (reg_values(SETTINGS) or {}).get("CurrentGroup") == "Arbete")
        finally:
            for process in (in_front, notepad, manager):
                process.kill()
            run("wine", exe, "--programs", "Musik", timeout=60)
        check("with the programs gone the active group is shown", wait_for(lambda: places_bar() == work_group[0], 60))

        # The menu's "Start at login" (its last item but one) names the
        # program in the user's Run key, and takes it out again.
        def toggle_start_at_login(on):
            if open_tray_menu():
                xdo("key", "Up", "Up", "Return")
            return wait_for(lambda: bool((reg_values(RUN) or {}).get("Varnel Zize")) == on, 5)

        check("Start at login writes the Run key", wait_for(lambda: toggle_start_at_login(True), 60, 1))
        command = (reg_values(RUN) or {}).get("Varnel Zize") or ""
        check("the Run key starts this program", command.lower() == '"' + winpath(exe).lower() + '"', command)
        check("Start at login again removes it", wait_for(lambda: toggle_start_at_login(False), 60, 1))

        # 5. A second copy is refused with its message and ends.
        second = subprocess.Popen(["wine", exe], cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Qt adds the program's display name to the title.
        message = wait_for(lambda: windows("^Varnel_Zize"), 120)
        check("a second copy shows its refusal", bool(message))
        if message:
            time.sleep(1)
            screenshot(shots, "windows-second-copy.png")
            g = geometry(message[0])
            click(message[0], (g["WIDTH"] - 50, g["HEIGHT"] - 20))
        try:
            second.wait(timeout=60)
            check("the second copy ends", True)
        except subprocess.TimeoutExpired:
            check("the second copy ends", False)
            # The updater would wait for it forever.
            second.kill()
        check("the first copy still runs", main.poll() is None)

        # 6. endmainapp closes the program through its window; the places go.
        try:
            start_and_wait("wine", updater, "endmainapp", cwd=folder)
        except subprocess.TimeoutExpired:
            check("endmainapp finishes", False)
        check("endmainapp closes the program", bool(wait_for(lambda: not windows("^" + EDITOR_TITLE), 60)))
        check("the PlacesBar key is gone afterwards", wait_for(lambda: reg_values(PLACES_BAR) is None, 30))
        check("after endmainapp the desktop root is as before the program",
              wait_for(lambda: desktop_listing(desktop_probe) == desktop_before, 30), desktop_listing(desktop_probe))
        check("after endmainapp no key of the navigation pane is left", slot_keys_left() == [], slot_keys_left())
        if wine32:
            check("after endmainapp a 32-bit program's Open dialog and desktop root are as before the program",
                  probe_captions(probe32) == captions_before32 and desktop_listing(desktop_probe32) == desktop_before32,
                  (probe_captions(probe32), desktop_listing(desktop_probe32)))
        log = folder / "Error.log"
        check("no error was logged", not log.exists(), log.read_text(errors="replace") if log.exists() else "")
        # 7. The update hand-over: a downloaded program file waits in Temp.
        main = subprocess.Popen(["wine", exe], cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(lambda: window_of_size(EDITOR_TITLE, 401, 250), 180)
        temp = folder / "Temp"
        temp.mkdir(exist_ok=True)
        new_copy = (folder / "Varnel_Zize.exe").read_bytes() + b"\0VARNEL-NEW-BUILD"
        (temp / "Varnel_Zize.exe").write_bytes(new_copy)
        try:
            start_and_wait("wine", updater, "moveexedb", cwd=folder)
        except subprocess.TimeoutExpired:
            check("moveexedb finishes", False)
        try:
            main.wait(timeout=60)
            check("moveexedb ends the running program", True)
        except subprocess.TimeoutExpired:
            check("moveexedb ends the running program", False)
        check("the new program file is in place",
              wait_for(lambda: (folder / "Varnel_Zize.exe").read_bytes() == new_copy, 60)
              and not (temp / "Varnel_Zize.exe").exists())
        check("the updater starts the new copy", bool(wait_for(lambda: window_of_size(EDITOR_TITLE, 401, 250), 180)))
        check("the restarted program applies the active group again",
              wait_for(lambda: (reg_values(PLACES_BAR) or {}).get("place0") == work_group[0], 60))
        start_and_wait("wine", updater, "endmainapp", cwd=folder)
        wait_for(lambda: not windows("^" + EDITOR_TITLE), 60)
        # The updater's copy is no child of ours: it has ended when Wine lists it no more.
        check("the copy the updater started ends", wait_for(lambda: windows_pid("Varnel_Zize.exe") is None, 120, 1))

        # 8. A killed program leaves its navigation pane entries behind; the
        # next start takes them over, and either way out removes them with
        # the Places Bar: endmainapp, then (after another kill) Exit from the tray.
        def exit_from_tray():
            if open_tray_menu():
                xdo("key", "Up", "Return")
            return wait_for(lambda: main.poll() is not None, 10)

        for ending in ("endmainapp", "Exit from the tray"):
            main = subprocess.Popen(["wine", exe], cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            wait_for(lambda: window_of_size(EDITOR_TITLE, 401, 250), 180)
            check("the started program fills the navigation pane",
                  wait_for(lambda: pane_names(desktop_root(desktop_probe)) == sorted(expected), 60))
            main.kill()
            main.wait(timeout=60)
            wait_for(lambda: not windows("^" + EDITOR_TITLE), 60)
            check("a kill -9 leaves the entries behind", pane_names(desktop_root(desktop_probe)) == sorted(expected))
            lock = next(prefix.glob("drive_c/users/*/AppData/Local/Varnel/navigation-pane.lock"), None)
            check("the killed copy's lock now names a live process", lock is not None and hand_lock_to_live_process(lock))
            main = subprocess.Popen(["wine", exe], cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            wait_for(lambda: window_of_size(EDITOR_TITLE, 401, 250), 180)
            check("the next start shows each folder once",
                  wait_for(lambda: pane_names(desktop_root(desktop_probe)) == sorted(expected), 60),
                  desktop_root(desktop_probe))
            if ending == "endmainapp":
                try:
                    start_and_wait("wine", updater, "endmainapp", cwd=folder)
                except subprocess.TimeoutExpired:
                    check("endmainapp finishes", False)
                check("endmainapp ends the program started after the kill",
                      wait_for(lambda: main.poll() is not None, 60))
            else:
                if shots:
                    holder = subprocess.Popen(["wine", desktop_probe, "--show"],
                                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                    dialog = wait_for(lambda: windows("^Open$"), 60)
                    if dialog:
                        time.sleep(3)
                        run("import", "-window", dialog[0], str(Path(shots) / "windows-navigation-pane.png"))
                    holder.kill()
                check("Exit in the tray menu ends the program", wait_for(exit_from_tray, 90, 1))
            check(f"after the kill, a new start and {ending} the desktop root is as before the program",
                  wait_for(lambda: desktop_listing(desktop_probe) == desktop_before, 30), desktop_listing(desktop_probe))
            check(f"after the kill, a new start and {ending} no key of the navigation pane is left",
                  slot_keys_left() == [], slot_keys_left())
            check(f"after the kill, a new start and {ending} the PlacesBar key is gone",
                  wait_for(lambda: reg_values(PLACES_BAR) is None, 30), reg_values(PLACES_BAR))

    finally:
        end_proofs((main, tray), work)


def end_proofs(processes, work):
    """What a proof run leaves: its processes, the Wine server, its folder."""
    for p in processes:
        if p and p.poll() is None:
            p.kill()
    run("wineserver", "-k")
    shutil.rmtree(work, ignore_errors=True)


def in_wine_session(name, tools):
    """Runs this script again in a Wine session of its own unless it is in
    one; there, false (with a line on stderr) when a tool is missing."""
    if not os.environ.get("VARNEL_PROOFS_SESSION"):
        # A Wine prefix and an X display of its own, removed afterwards.
        os.environ["VARNEL_PROOFS_SESSION"] = "1"
        # Wine names Unix files through the locale's character set: UTF-8,
        # so that a folder C:\users\Åsa is the same name on both sides.
        os.environ["LC_ALL"] = "C.UTF-8"
        os.execv(str(ROOT / "scripts" / "wine-session.sh"),
                 [str(ROOT / "scripts" / "wine-session.sh"), sys.executable] + sys.argv)
    for tool in tools:
        if not shutil.which(tool):
            print(f"{name}: {tool} is missing (scripts/install-deps.sh)", file=sys.stderr)
            return False
    return True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program-dir", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--desktop-probe", required=True)
    parser.add_argument("--probe32", required=True)
    parser.add_argument("--desktop-probe32", required=True)
    parser.add_argument("--screenshots")
    args = parser.parse_args()
    if not in_wine_session("program_proofs", ("xdotool", "trayer", "import")):
        return 2
    shots = os.path.abspath(args.screenshots) if args.screenshots else None
    if shots:
        os.makedirs(shots, exist_ok=True)
    proofs(os.path.abspath(args.program_dir), os.path.abspath(args.probe), os.path.abspath(args.desktop_probe),
           os.path.abspath(args.probe32), os.path.abspath(args.desktop_probe32), shots)
    failed = results.count(False)
    print(f"{results.count(True)} passed, {failed} failed")
    return 1 if failed or not results else 0


if __name__ == "__main__":
    sys.exit(main())
