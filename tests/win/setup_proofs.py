#!/usr/bin/env python3
"""The Windows setup program under Wine, in a private prefix and X display
(scripts/wine-session.sh): a silent install gives the release's files, the
Start menu entry and the "Apps & features" entry; the installed program
starts and applies its group; it takes an update from a local server; a
second silent install over the running program keeps the groups and writes
the Run value of "Start at login"; the silent uninstall, started from the
QuietUninstallString while the program runs, closes it and leaves nothing of
it behind. Installed into a folder that held the user's files, the uninstall
takes only what the setup and the programs put there, and keeps the
database's journal with the kept database.

  setup_proofs.py --setup build-win/Varnel_Zize-<version>-setup.exe
                  --release-dir build-win/release/Varnel [--screenshots DIR]

Prints "N passed, N failed", the setup program's size and the install and
uninstall times; exits non-zero on a failure.
"""
import argparse
import os
import re
import sqlite3
import subprocess
import sys
import tempfile
import time
from contextlib import closing
from pathlib import Path

sys.dont_write_bytecode = True  # no cache of program_proofs in the source tree
import program_proofs as proofs  # noqa: E402
from program_proofs import check, reg_values, run, wait_for, window_of_size, xdo  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
UNINSTALL = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnel Zize"
SETUP_TITLE = "Varnel Zize Setup"
UPDATE_TITLE = "Varnel Zize Update"
GROUP = [r"C:\windows", r"C:\users", r"C:\ProgramData", r"C:\windows\Fonts", r"C:\windows\system32"]
RAISED, RAISED_FILE = r"Language\Deutsch.lang", Path("Language/Deutsch.lang")


def rows(database, sql, parameters=()):
    with closing(sqlite3.connect(database)) as db:
        return db.execute(sql, parameters).fetchall()


def release_files(folder):
    return sorted(str(p.relative_to(folder)) for p in folder.rglob("*") if p.is_file())


def start_menu_entries(prefix):
    return list((prefix / "drive_c" / "users").glob("*/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/"
                                                    "Varnel Zize.lnk"))


def run_to_end(*args, timeout=300):
    """Runs a program to its end and returns its exit status; what it starts
    keeps running, and keeps no pipe of ours open."""
    return subprocess.run(list(args), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, timeout=timeout).returncode


def unix_path(windows_path):
    return Path(run("winepath", "-u", windows_path).stdout.decode("utf-8", "replace").strip())


def shoot_setup_pages(setup, shots):
    """The interactive setup's first pages, side by side in one picture."""
    wizard = subprocess.Popen(["wine", setup], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    pages = []
    try:
        window = wait_for(lambda: (proofs.windows("^" + SETUP_TITLE) or [None])[0], 120)
        if not check("the interactive setup shows its wizard", bool(window)):
            return
        for page in range(3):
            time.sleep(1.5)
            shot = Path(shots) / f"setup-page-{page}.png"
            run("import", "-window", window, str(shot))
            pages.append(str(shot))
            xdo("windowactivate", "--sync", window)
            xdo("key", "--window", window, "Return")  # Next
        run("convert", *pages, "-bordercolor", "white", "-border", "6", "+append",
            str(Path(shots) / "windows-setup.png"))
    finally:
        for page in pages:
            Path(page).unlink(missing_ok=True)
        wizard.kill()
        wizard.wait()
        run("wineserver", "-k")


def setup_proofs(setup, release, shots):
    prefix = Path(os.environ["WINEPREFIX"])
    version = re.search(r"Varnel_Zize-(.+)-setup\.exe$", setup).group(1)
    print(f"setup_program_size: {os.path.getsize(setup) / 1e6:.1f} MB", flush=True)
    if shots:
        shoot_setup_pages(setup, shots)
    work = Path(tempfile.mkdtemp(prefix="varnel-setup."))
    server = program = None
    try:
        # 1. The silent install.
        started = time.monotonic()
        installed = run_to_end("wine", setup, "/S")
        print(f"silent_install_wine: {time.monotonic() - started:.1f} s", flush=True)
        check("the silent install succeeds", installed == 0, installed)
        entry = reg_values(UNINSTALL) or {}
        location = entry.get("InstallLocation", "")
        check("it installs into %LOCALAPPDATA%\\Programs\\Varnel Zize",
              location.lower().endswith(r"\appdata\local\programs\varnel zize"), location)
        folder = unix_path(location) if location else work / "none"
        exe = folder / "Varnel_Zize.exe"
        expected = {"DisplayName": "Varnel Zize", "DisplayVersion": version, "Publisher": "Varnel",
                    "DisplayIcon": location + r"\Varnel_Zize.exe,0",
                    "UninstallString": f'"{location}\\Uninstall.exe"',
                    "QuietUninstallString": f'"{location}\\Uninstall.exe" /S'}
        check("the Apps & features entry has its values",
              all(entry.get(k) == v for k, v in expected.items()) and entry.get("EstimatedSize", 0) > 1000, entry)
        missing = [f for f in release_files(release)
                   if not (folder / f).is_file() or (folder / f).read_bytes() != (release / f).read_bytes()]
        check("every file of the release is installed as built", not missing, missing[:5])
        check("the uninstaller is installed", (folder / "Uninstall.exe").is_file())
        templates = [folder / "PolicyDefinitions" / "VarnelZize.admx"] + [
            folder / "PolicyDefinitions" / language / "VarnelZize.adml" for language in ("en-US", "sv-SE", "de-DE")]
        check("the Group Policy templates are installed in PolicyDefinitions", all(t.is_file() for t in templates))
        check("the Start menu entry is there", bool(start_menu_entries(prefix)))
        check("no Run value unless asked for", "Varnel Zize" not in (reg_values(proofs.RUN) or {}))
        database = folder / "Db" / "Varnel.db"
        shipped = rows(release / "Db" / "Varnel.db", "select * from tbl_Update order by rowid")
        check("the installed database is the release's",
              rows(database, "select * from tbl_Update order by rowid") == shipped and
              (RAISED, "1") in shipped and not rows(database, "select * from tbl_Groups"))

        # 2. The installed program starts and applies its group.
        with closing(sqlite3.connect(database)) as db, db:
            db.execute("insert into tbl_Groups values (?, ?, ?, ?, ?, ?)", ["Arbete"] + GROUP)
        (work / "server").mkdir()
        server = subprocess.Popen([sys.executable, str(ROOT / "tests" / "support" / "http_server.py"),
                                   str(work / "server")], stdout=subprocess.PIPE, text=True)
        port = int(server.stdout.readline().split()[1])
        for name, value in (("CurrentGroup", "Arbete"), ("Language", "English"),
                            ("UpdateServer", f"http://127.0.0.1:{port}/VarnelUpdate/Zize/Update/")):
            run("wine", "reg", "add", proofs.SETTINGS, "/v", name, "/d", value, "/f")
        program = subprocess.Popen(["wine", str(exe)], cwd=folder, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        applied = lambda: (reg_values(proofs.PLACES_BAR) or {}).get("place0") == GROUP[0]
        check("the installed program starts and applies its group", wait_for(applied, 180))

        # 3. An update from the local server: the manifest raises one file.
        published = work / "server" / "VarnelUpdate" / "Zize" / "Update"
        (published / "Language").mkdir(parents=True)
        new_texts = (release / "Language" / "Deutsch.lang").read_bytes().replace(b"|Beenden", b"|Beenden jetzt")
        (published / "Language" / "Deutsch.lang").write_bytes(new_texts)
        (published / "Update.upd").write_bytes(RAISED.encode() + b"\t|\t2\r\n")
        requests = lambda: (work / "server" / ".requests.log").read_text() \
            if (work / "server" / ".requests.log").exists() else ""

        def open_update_window():
            trays = xdo("search", "--onlyvisible", "--class", "trayer").split()
            if trays:
                g = proofs.geometry(trays[0])
                xdo("mousemove", g["X"] + g["WIDTH"] // 2, g["Y"] + g["HEIGHT"] // 2)
                xdo("click", 3)
                time.sleep(1.0)
                xdo("key", *["Down"] * 7, "Return")  # the menu's seventh item, "Update"
            return wait_for(lambda: window_of_size(UPDATE_TITLE, 401, 250), 10)

        window = wait_for(open_update_window, 90, 1)
        if check("the tray menu opens the update window", bool(window)):
            proofs.click(window, (100, 220))  # Check
            check("Check reads the server's manifest", wait_for(lambda: "Update.upd" in requests(), 60))
            time.sleep(2)
            proofs.click(window, (200, 220))  # Update
            check("the raised file is offered and downloaded",
                  wait_for(lambda: "Language/Deutsch.lang" in requests(), 60), requests())
            alert = wait_for(lambda: window_of_size(proofs.EDITOR_TITLE, 250, 100), 60)
            if check("the update ends with its alert", bool(alert)):
                proofs.click(alert, (124, 79))
        check("the installed file and its row are the new ones",
              wait_for(lambda: (folder / RAISED_FILE).read_bytes() == new_texts, 60) and
              rows(database, "select colVersion from tbl_Update where colFile = ?", (RAISED,)) == [("2",)])

        # 4. A second silent install over the running program, with "Start at login".
        started = time.monotonic()
        again = run_to_end("wine", setup, "/S", "/StartAtLogin")
        print(f"silent_reinstall_over_running_program_wine: {time.monotonic() - started:.1f} s", flush=True)
        check("the second silent install succeeds", again == 0, again)
        try:
            program.wait(timeout=60)
            check("it closed the running program first", True)
        except subprocess.TimeoutExpired:
            check("it closed the running program first", False)
        check("the groups are kept", rows(database, "select colName from tbl_Groups") == [("Arbete",)])
        check("the files and version rows are the release's again",
              (folder / RAISED_FILE).read_bytes() == (release / RAISED_FILE).read_bytes() and
              rows(database, "select * from tbl_Update order by rowid") == shipped)
        run_value = (reg_values(proofs.RUN) or {}).get("Varnel Zize")
        check("Start at login writes the tray's Run value", run_value == f'"{location}\\Varnel_Zize.exe"', run_value)
        check("the program runs again and applies its group",
              wait_for(lambda: proofs.windows("^" + proofs.EDITOR_TITLE), 180) and wait_for(applied, 60))

        # 5. The silent uninstall from QuietUninstallString while the program runs.
        quiet = (reg_values(UNINSTALL) or {}).get("QuietUninstallString", "")
        command = re.fullmatch(r'"([^"]+)" (/S)', quiet)
        check("QuietUninstallString names the uninstaller with /S", bool(command), quiet)
        started = time.monotonic()
        if command:
            run_to_end("wine", command.group(1), command.group(2))
        # The uninstaller goes on from a copy of itself, so that it can remove its own file.
        gone = wait_for(lambda: not (folder / "Uninstall.exe").exists() and reg_values(UNINSTALL) is None, 180)
        print(f"silent_uninstall_wine: {time.monotonic() - started:.1f} s", flush=True)
        check("the silent uninstall removes its Apps & features entry and itself", gone)
        check("it closed the running program",
              bool(wait_for(lambda: not proofs.windows("^" + proofs.EDITOR_TITLE), 60)))
        left = sorted(str(p.relative_to(folder)) for p in folder.rglob("*")) if folder.exists() else []
        check("no program file is left; /S keeps the groups", left == ["Db", "Db/Varnel.db"], left)
        check("the kept database still holds the groups",
              not (folder / "Db" / "Varnel.db").exists() or
              rows(database, "select colName from tbl_Groups") == [("Arbete",)])
        check("no Start menu entry is left", not start_menu_entries(prefix))
        check("no Run value is left", "Varnel Zize" not in (reg_values(proofs.RUN) or {}))
        check("no Places Bar is left", reg_values(proofs.PLACES_BAR) is None)
        check("no settings are left (deletereg)", reg_values(proofs.SETTINGS) is None)

        # 6. Into a folder of the user's own that holds files already, with
        # what an update cut short leaves behind, and a database whose last
        # write was cut short by a crash: the uninstall takes only its own.
        tools = prefix / "drive_c" / "Tools"
        users = {"notes.txt": b"my notes\r\n", "Temp/user.txt": b"mine too\r\n"}
        for name, data in users.items():
            (tools / name).parent.mkdir(parents=True, exist_ok=True)
            (tools / name).write_bytes(data)
        chosen = run_to_end("wine", setup, "/S", r"/D=C:\Tools")
        check("the silent install into C:\\Tools succeeds",
              chosen == 0 and (tools / "Varnel_Zize.exe").is_file() and (tools / "Uninstall.exe").is_file(), chosen)
        database = tools / "Db" / "Varnel.db"
        with closing(sqlite3.connect(database)) as db, db:
            db.executemany("insert into tbl_Groups values (?, ?, ?, ?, ?, ?)",
                           [[f"Grupp {i}"] + GROUP for i in range(500)])
        groups = rows(database, "select * from tbl_Groups order by rowid")
        # A change of every group, more than the cache holds, so that pages
        # of the database file are overwritten before the process dies.
        subprocess.run([sys.executable, "-c", "import os, sqlite3, sys\n"
                        "db = sqlite3.connect(sys.argv[1], isolation_level=None)\n"
                        "db.execute('pragma cache_size = 10')\ndb.execute('begin')\n"
                        "db.execute(\"update tbl_Groups set colPlace0 = 'D:\\\\' || colName\")\n"
                        "os._exit(9)\n", str(database)], check=False)
        journal = database.with_name("Varnel.db-journal")
        hot = journal.read_bytes() if journal.is_file() else b""
        check("the cut-short write left its journal", len(hot) > 512, len(hot))
        # (A backup whose file is missing would be put back by the program's
        # start in the uninstaller's deletereg, which opens the database.)
        written = ["Error.log", "loggaren.log", "Update.upd", "Update.sums", "Update.sig", "Temp/Varnel_Zize.exe",
                   "Temp/Varnel.db", "Temp/Update.upd", "Temp/Update.sums", "Temp/Update.sig",
                   "Temp/Language&Deutsch.lang", "Temp/Update.upd.new"]
        for name in written:
            (tools / name).write_bytes(b"written by the programs\r\n")
        run_to_end("wine", str(tools / "Uninstall.exe"), "/S")
        check("the uninstall removes its entry and itself",
              wait_for(lambda: not (tools / "Uninstall.exe").exists() and reg_values(UNINSTALL) is None, 180))
        left = sorted(str(p.relative_to(tools)) for p in tools.rglob("*"))
        check("only the user's files and the kept database are left in C:\\Tools",
              left == ["Db", "Db/Varnel.db", "Db/Varnel.db-journal", "Temp", "Temp/user.txt", "notes.txt"], left)
        check("the user's files are as they were",
              all((tools / name).is_file() and (tools / name).read_bytes() == data for name, data in users.items()))
        check("the journal stays with the kept database", journal.is_file() and journal.read_bytes() == hot)
        repaired = rows(database, "select * from tbl_Groups order by rowid") if database.is_file() else []
        check("the kept database opens with the groups as they were before the crash",
              repaired == groups and rows(database, "pragma integrity_check") == [("ok",)] and
              not journal.exists(), repaired[:2])
    finally:
        proofs.end_proofs((program, server), work)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--setup", required=True)
    parser.add_argument("--release-dir", required=True)
    parser.add_argument("--screenshots")
    args = parser.parse_args()
    if not proofs.in_wine_session("setup_proofs", ("xdotool", "trayer", "import", "convert")):
        return 2
    shots = os.path.abspath(args.screenshots) if args.screenshots else None
    if shots:
        os.makedirs(shots, exist_ok=True)
    tray = subprocess.Popen(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                             "--height", "24", "--SetDockType", "true"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        setup_proofs(os.path.abspath(args.setup), Path(os.path.abspath(args.release_dir)), shots)
    finally:
        tray.kill()
        tray.wait()
    failed = proofs.results.count(False)
    print(f"{proofs.results.count(True)} passed, {failed} failed")
    return 1 if failed or not proofs.results else 0


if __name__ == "__main__":
    sys.exit(main())
