#!/usr/bin/env python3
"""The include check on small trees written for it: each include that points
up or sideways must fail the check and be named by file and line, and the
includes that point down must pass."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "check_includes.py")


def run_check(root):
    result = subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True)
    return result.returncode, result.stderr


class IncludeCheck(unittest.TestCase):
    def tree(self, files):
        """A temporary tree holding `files` (path -> text)."""
        directory = tempfile.TemporaryDirectory()
        self.addCleanup(directory.cleanup)
        root = directory.name
        for path, text in files.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w") as f:
                f.write(text)
        return root

    def assert_passes(self, files):
        status, errors = run_check(self.tree(files))
        self.assertEqual((status, errors), (0, ""))

    def assert_fails_at(self, files, where):
        status, errors = run_check(self.tree(files))
        self.assertEqual(status, 1, errors)
        self.assertIn(where + ":", errors)
        self.assertEqual(len(errors.splitlines()), 1, errors)

    def test_includes_that_point_down_pass(self):
        self.assert_passes({
            "codepage/walk.cpp": '#include "codepage/walk.h"\n#include <string>\n',
            "core/codec.cpp": '#include "core/codec.h"\n#include "codepage/table.h"\n',
            "fw/win32/text.cpp": '#include "fw/backend.h"\n#include "codepage/walk.h"\n',
            "ui/dlg.cpp": '#include "fw/afxwin.h"\n#include "core/crc.h"\n#include "res/resource.h"\n',
            "cli/run.cpp": '#include "ui/dlg.h"\n#include "core/codec.h"\n#include "fw/offscreen.h"\n'
                           '#include "workbench/frames/search.h"\n#include "workbench/numbers/orders.h"\n',
            "workbench/crc/engine.cpp": '#include "workbench/crc/params.h"\n#include "core/decode.h"\n',
            "workbench/frames/search.cpp": '#include "workbench/crc/engine.h"\n#include "core/decode.h"\n',
            "workbench/numbers/orders.cpp": '#include "core/floatconv.h"\n',
            "web/api.cpp": '#include "web/api.h"\n#include "cli/command_line.h"\n#include "core/crc.h"\n'
                           '#include "codepage/walk.h"\n#include "workbench/crc/engine.h"\n'
                           '#include "workbench/frames/search.h"\n#include "workbench/numbers/orders.h"\n',
            # Not ours: a system header named like nothing of ours.
            "core/md5.cpp": "#include <cstdint>\n",
        })

    def test_framework_reaching_up_fails(self):
        for target in ("core/texttools.h", "ui/tool_dlg.h", "cli/cli.h"):
            with self.subTest(target=target):
                self.assert_fails_at({
                    "fw/cstring.cpp": '#include "fw/cstring.h"\n\n#include "%s"\n' % target,
                }, os.path.join("fw", "cstring.cpp") + ":3")

    def test_nested_framework_folder_is_checked(self):
        self.assert_fails_at({
            "fw/offscreen/backend.cpp": '// first line\n#  include "core/texttools.h"\n',
        }, os.path.join("fw", "offscreen", "backend.cpp") + ":2")

    def test_core_reaching_up_fails(self):
        for target in ("fw/cstring.h", "ui/tool_dlg.h", "cli/options.h"):
            with self.subTest(target=target):
                self.assert_fails_at({"core/crc.h": '#pragma once\n#include "%s"\n' % target},
                                     os.path.join("core", "crc.h") + ":2")

    def test_code_page_library_includes_nothing_of_ours(self):
        for target in ("core/texttools.h", "fw/cstring.h", "ui/tool_dlg.h", "cli/cli.h"):
            with self.subTest(target=target):
                self.assert_fails_at({"codepage/walk.cpp": "#include <%s>\n" % target},
                                     os.path.join("codepage", "walk.cpp") + ":1")

    def test_dialog_may_not_include_the_command_line(self):
        self.assert_fails_at({"ui/dlg.h": '#include "cli/options.h"\n'}, os.path.join("ui", "dlg.h") + ":1")

    def test_every_violation_is_reported(self):
        status, errors = run_check(self.tree({
            "core/a.cpp": '#include "fw/a.h"\n',
            "fw/b.cpp": '#include "core/b.h"\n#include "core/c.h"\n',
        }))
        self.assertEqual(status, 1)
        self.assertEqual(len(errors.splitlines()), 3, errors)

    def test_workbench_layers_point_one_way(self):
        cases = [
            ("workbench/crc/engine.cpp", "workbench/frames/search.h"),
            ("workbench/crc/engine.cpp", "workbench/numbers/orders.h"),
            ("workbench/numbers/orders.cpp", "workbench/crc/params.h"),
            ("workbench/frames/search.cpp", "cli/cli.h"),
            ("workbench/frames/search.cpp", "fw/cstring.h"),
            ("core/crc.cpp", "workbench/crc/params.h"),
            ("ui/dlg.cpp", "workbench/crc/engine.h"),
            ("fw/cstring.cpp", "workbench/numbers/orders.h"),
            ("codepage/walk.cpp", "workbench/crc/params.h"),
        ]
        for source, target in cases:
            with self.subTest(source=source, target=target):
                self.assert_fails_at({source: '#include "%s"\n' % target}, source.replace("/", os.sep) + ":1")

    def test_the_link_sits_below_the_faces(self):
        self.assert_passes({
            "link/framer.cpp": '#include "link/framer.h"\n#include "workbench/frames/frame_build.h"\n'
                               '#include "codepage/gbk_table.h"\n#include "core/hexdump.h"\n',
            "cli/serial.cpp": '#include "link/link.h"\n',
        })
        cases = [
            ("link/framer.cpp", "cli/messages.h"),
            ("link/framer.cpp", "fw/cstring.h"),
            ("link/framer.cpp", "ui/tool_dlg.h"),
            ("link/framer.cpp", "web/api.h"),
            ("link/framer.cpp", "workbench_window/pages/page.h"),
            ("link/framer.cpp", "workbench/numbers/orders.h"),
            ("workbench/frames/search.cpp", "link/framer.h"),
            ("core/crc.cpp", "link/framer.h"),
            ("fw/cstring.cpp", "link/link.h"),
            ("ui/dlg.cpp", "link/link.h"),
        ]
        for source, target in cases:
            with self.subTest(source=source, target=target):
                self.assert_fails_at({source: '#include "%s"\n' % target}, source.replace("/", os.sep) + ":1")

    def test_modbus_sits_on_the_link_and_the_command_line_and_workbench_window_use_it(self):
        self.assert_passes({
            "modbus/adu.cpp": '#include "modbus/adu.h"\n#include "workbench/crc/byte_table.h"\n'
                              '#include "workbench/numbers/byte_orders.h"\n#include "link/framer.h"\n'
                              '#include "core/hexdump.h"\n#include "codepage/gbk_table.h"\n',
            "cli/modbus.cpp": '#include "modbus/decoder.h"\n#include "modbus/master.h"\n',
            "workbench_window/pages/modbus_page.cpp": '#include "modbus/master.h"\n',
            "workbench_window/views/modbus_view.cpp": '#include "modbus/master.h"\n',
        })
        cases = [
            ("modbus/adu.cpp", "cli/messages.h"),
            ("modbus/adu.cpp", "fw/cstring.h"),
            ("modbus/adu.cpp", "ui/tool_dlg.h"),
            ("modbus/adu.cpp", "web/api.h"),
            ("modbus/adu.cpp", "workbench_window/pages/page.h"),
            ("modbus/adu.cpp", "workbench/printf/printf_format.h"),
            ("link/framer.cpp", "modbus/adu.h"),
            ("workbench/crc/engine.cpp", "modbus/adu.h"),
            ("core/crc.cpp", "modbus/pdu.h"),
            ("fw/cstring.cpp", "modbus/adu.h"),
            ("ui/dlg.cpp", "modbus/adu.h"),
            ("web/api.cpp", "modbus/adu.h"),
        ]
        for source, target in cases:
            with self.subTest(source=source, target=target):
                self.assert_fails_at({source: '#include "%s"\n' % target}, source.replace("/", os.sep) + ":1")

    def test_the_page_interface_knows_no_window_and_nothing_knows_it(self):
        cases = [
            ("web/api.cpp", "fw/cstring.h"),
            ("web/api.cpp", "ui/tool_dlg.h"),
            ("web/api.cpp", "res/resource.h"),
            ("cli/run.cpp", "web/api.h"),
            ("ui/dlg.cpp", "web/api.h"),
            ("core/crc.cpp", "web/api.h"),
            ("workbench/crc/engine.cpp", "web/api.h"),
            ("fw/cstring.cpp", "web/api.h"),
        ]
        for source, target in cases:
            with self.subTest(source=source, target=target):
                self.assert_fails_at({source: '#include "%s"\n' % target}, source.replace("/", os.sep) + ":1")

    def test_workbench_window_pages_know_no_window_and_nothing_knows_the_window(self):
        self.assert_passes({
            "workbench_window/pages/crc_page.cpp": '#include "workbench_window/pages/crc_page.h"\n'
                                                   '#include "cli/crc_text.h"\n#include "workbench/crc/engine.h"\n',
            "workbench_window/window.cpp": '#include "workbench_window/pages/crc_page.h"\n#include "fw/afxwin.h"\n'
                                           '#include "res/workbench_resource.h"\n',
        })
        cases = [
            ("workbench_window/pages/crc_page.cpp", "fw/afxwin.h"),
            ("workbench_window/pages/crc_page.cpp", "workbench_window/window.h"),
            ("workbench_window/pages/crc_page.cpp", "ui/tool_dlg.h"),
            ("workbench_window/window.cpp", "ui/tool_dlg.h"),
            ("workbench_window/window.cpp", "web/api.h"),
            ("cli/run.cpp", "workbench_window/pages/crc_page.h"),
            ("fw/cstring.cpp", "workbench_window/window.h"),
            ("workbench/crc/engine.cpp", "workbench_window/pages/crc_page.h"),
            ("ui/dlg.cpp", "workbench_window/window.h"),
            ("web/api.cpp", "workbench_window/pages/crc_page.h"),
        ]
        for source, target in cases:
            with self.subTest(source=source, target=target):
                self.assert_fails_at({source: '#include "%s"\n' % target}, source.replace("/", os.sep) + ":1")

    def test_a_root_without_the_folders_is_an_error(self):
        status, _ = run_check(self.tree({"other/a.cpp": '#include "core/a.h"\n'}))
        self.assertEqual(status, 2)


if __name__ == "__main__":
    unittest.main()
