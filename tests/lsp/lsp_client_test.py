"""kelvora-cli lsp driven by a scripted JSON-RPC client: framing, bad input, every request on the
fixture tree, cancellation, save and delete -> re-analysis, shutdown and exit.
usage: lsp_client_test.py KELVORA_CLI"""
import os
import shutil
import sys
import tempfile
import time
import unittest
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import lsp_fixture  # noqa: E402
from lsp_client import Client  # noqa: E402

CLI = None


def uri(path):
    return "file://" + urllib.parse.quote(path.encode("utf-8"), safe="/")


def pos(line, character):
    return {"line": line, "character": character}


class Env:
    def __init__(self):
        self.tmp = tempfile.mkdtemp(prefix="kelvora-lsp-test-")
        self.root = os.path.join(self.tmp, "tree")
        lsp_fixture.write_tree(self.root)
        self.home = os.path.join(self.tmp, "home")
        os.makedirs(self.home)
        self.env = dict(os.environ, KELVORA_HOME=self.home)

    def path(self, rel):
        return os.path.join(self.root, rel)

    def client(self, args=()):
        return Client(CLI, self.env, args)


class Protocol(unittest.TestCase):
    """Bad input and the lifecycle, each on a server of its own."""

    def setUp(self):
        self.e = Env()

    def tearDown(self):
        shutil.rmtree(self.e.tmp, ignore_errors=True)

    def test_bad_input_gets_an_answer_and_the_server_goes_on(self):
        c = self.e.client()
        c.raw(b"Content-Length: 5\r\n\r\n{nope")  # not JSON
        err = c.wait(lambda m: "error" in m)
        self.assertEqual((err["id"], err["error"]["code"]), (None, -32700))
        c.raw(b"Content-Type: x\r\nContent-Length: abc\r\n\r\n")  # skipped to the blank line
        c.raw(b"X-Nothing: 1\r\n\r\n")
        rid = c.request_async("textDocument/hover", {})
        self.assertEqual(c.response(rid)["error"]["code"], -32002)  # before initialize
        # Two messages in one write, the second split over two writes, header names in any case.
        both = c.frame({"jsonrpc": "2.0", "id": 90, "method": "shutdown"}) + \
            b"content-length: 44\r\n\r\n"
        c.raw(both)
        time.sleep(0.05)
        c.raw(b'{"jsonrpc":"2.0","id":91,"method":"nothing"}')
        self.assertEqual(c.response(90)["error"]["code"], -32002)
        self.assertEqual(c.response(91)["error"]["code"], -32002)
        c.initialize(uri(self.e.root), capabilities={})
        rid = c.request_async("kelvora/unknown", {})
        self.assertEqual(c.response(rid)["error"]["code"], -32601)
        c.send({"jsonrpc": "2.0", "id": {"x": 1}, "method": "shutdown"})
        self.assertEqual(c.wait(lambda m: "error" in m)["error"]["code"], -32600)
        self.assertEqual(c.close(), 0)
        self.assertIn(b"not JSON", c.stderr)

    def test_end_of_input_without_shutdown_ends_the_server(self):
        c = self.e.client()
        c.initialize(uri(self.e.root), capabilities={})
        c.proc.stdin.close()
        self.assertEqual(c.proc.wait(timeout=30), 1)

    def test_a_root_that_cannot_be_used_is_named_in_the_answer(self):
        c = self.e.client()
        missing = self.e.path("no such 日本")
        rid = c.request_async("initialize", {"rootUri": uri(missing), "capabilities": {}})
        msg = c.response(rid)
        self.assertIn(missing, msg["error"]["message"])
        c.proc.stdin.close()
        c.proc.wait(timeout=30)

    def test_a_settings_file_that_sets_char_change_is_followed(self):
        # CharChange=0 reads the EUC-JP file as Shift-JIS: its comment no longer reads right.
        settings = os.path.join(self.e.tmp, "mine.ini")
        for value, readable in [("0", False), ("2", True)]:
            with open(settings, "w") as f:
                f.write("[Analysis]\nCharChange=%s\n" % value)
            c = self.e.client()
            c.initialize(uri(self.e.root), capabilities={}, options={"settingsFile": settings})
            c.wait_ready()
            hover = c.request("textDocument/hover", {
                "textDocument": {"uri": uri(self.e.path("calc.c"))}, "position": pos(3, 5)})
            self.assertEqual("二つの数を足す" in hover["contents"]["value"], readable, value)
            self.assertEqual(c.close(), 0)

    def test_position_encoding_negotiation(self):
        for offered, chosen in [(None, "utf-16"), (["utf-32", "utf-16"], "utf-32"),
                                (["utf-8"], "utf-8"), (["latin-1"], "utf-16")]:
            c = self.e.client()
            caps = {"general": {"positionEncodings": offered}} if offered else {}
            result = c.request("initialize", {"rootUri": uri(self.e.root), "capabilities": caps})
            self.assertEqual(result["capabilities"]["positionEncoding"], chosen)
            self.assertEqual(c.close(), 0)


class Requests(unittest.TestCase):
    """Every request on one analysed fixture tree, in UTF-16 columns."""

    @classmethod
    def setUpClass(cls):
        cls.e = Env()
        cls.c = cls.e.client()
        cls.caps = cls.c.initialize(uri(cls.e.root))["capabilities"]
        # The analysis runs now; a request sent meanwhile and cancelled is answered as cancelled.
        rid = cls.c.next_id = 1000
        cls.c.raw(Client.frame({"jsonrpc": "2.0", "id": rid, "method": "workspace/symbol",
                                "params": {"query": "tasu"}}) +
                  Client.frame({"jsonrpc": "2.0", "method": "$/cancelRequest", "params": {"id": rid}}))
        cls.cancelled = cls.c.response(rid)
        cls.c.wait_ready()

    @classmethod
    def tearDownClass(cls):
        cls.c.close()
        shutil.rmtree(cls.e.tmp, ignore_errors=True)

    def at(self, rel, line, character):
        return {"textDocument": {"uri": uri(self.e.path(rel))}, "position": pos(line, character)}

    def col(self, rel, line, word, nth=0):
        text = lsp_fixture.text_of(rel).split("\n")[line]
        i = -1
        for _ in range(nth + 1):
            i = text.index(word, i + 1)
        return lsp_fixture.utf16_column(text, i)

    def where(self, loc):
        return (urllib.parse.unquote(loc["uri"][7:]), loc["range"]["start"]["line"],
                loc["range"]["start"]["character"])

    def test_capabilities_progress_and_cancellation(self):
        for k in ["definitionProvider", "hoverProvider", "workspaceSymbolProvider",
                  "documentSymbolProvider", "callHierarchyProvider", "referencesProvider"]:
            self.assertTrue(self.caps[k], k)
        self.assertEqual(self.caps["positionEncoding"], "utf-16")
        kinds = [n["params"]["value"]["kind"] for n in self.c.notes if n["method"] == "$/progress"]
        self.assertEqual((kinds[0], kinds[-1]), ("begin", "end"))
        self.assertEqual(self.cancelled["error"]["code"], -32800)

    def test_definition_lands_on_the_identifier_after_japanese(self):
        cases = [  # (file, line, word, nth) -> (file, line, word)
            ("main.c", 6, "tasu", 0, "calc.c", 3, "tasu"),
            ("main.c", 21, "saiki", 0, "main.c", 19, "saiki"),
            ("calc.c", 11, "tasu", 0, "calc.c", 3, "tasu"),
            ("sub/util.c", 3, "LIMIT", 0, "shared.h", 0, "LIMIT"),
            ("sub dir/名前 %#.c", 3, "keisan", 0, "main.c", 4, "keisan"),
            ("main.c", 9, "hiku", 0, "calc.c", 9, "hiku"),
        ]
        for rel, line, word, nth, to_rel, to_line, to_word in cases:
            with self.subTest(rel=rel, word=word):
                got = self.c.request("textDocument/definition",
                                     self.at(rel, line, self.col(rel, line, word, nth) + 1))
                self.assertEqual([self.where(g) for g in got],
                                 [(self.e.path(to_rel), to_line, self.col(to_rel, to_line, to_word))])
        # Struct tag and typedef name; an included file.
        got = self.c.request("textDocument/definition", self.at("shared.h", 5, 3))
        self.assertEqual(self.where(got[0])[:2], (self.e.path("shared.h"), 5))
        got = self.c.request("textDocument/definition", self.at("main.c", 1, 12))
        self.assertEqual([self.where(g) for g in got], [(self.e.path("sub/util.h"), 0, 0)])
        # Nothing under the cursor, an unknown word.
        self.assertIsNone(self.c.request("textDocument/definition", self.at("main.c", 2, 0)))

    def test_hover_shows_kind_line_comment_and_steps_in_utf8(self):
        got = self.c.request("textDocument/hover", self.at("main.c", 6, self.col("main.c", 6, "tasu")))
        text = got["contents"]["value"]
        for part in ["関数 tasu", "int tasu(int a, int b)", "calc.c(4)", "二つの数を足す",
                     "総ステップ数 1"]:
            self.assertIn(part, text)
        self.assertEqual(got["range"]["start"], pos(6, self.col("main.c", 6, "tasu")))
        text = self.c.request("textDocument/hover",
                              self.at("main.c", 4, 5))["contents"]["value"]
        self.assertIn("計算する", text)

    def test_symbols(self):
        got = self.c.request("workspace/symbol", {"query": "TASU"})
        self.assertEqual(got[0]["name"], "tasu")
        self.assertEqual(self.where(got[0]["location"]), (self.e.path("calc.c"), 3, 4))
        names = [s["name"] for s in self.c.request("workspace/symbol", {"query": "i"})]
        self.assertTrue({"hiku", "keisan", "saiki", "LIMIT", "point_t"} <= set(names))
        self.assertNotIn("tasu", names)
        got = self.c.request("textDocument/documentSymbol",
                             {"textDocument": {"uri": uri(self.e.path("main.c"))}})
        self.assertEqual([(s["name"], s["location"]["range"]["start"]["line"]) for s in got],
                         [("keisan", 4), ("saiki", 19)])

    def test_call_hierarchy_by_the_function_tree_rules(self):
        items = self.c.request("textDocument/prepareCallHierarchy",
                               self.at("main.c", 6, self.col("main.c", 6, "tasu")))
        self.assertEqual([(i["name"], self.where({"uri": i["uri"], "range": i["selectionRange"]}))
                          for i in items], [("tasu", (self.e.path("calc.c"), 3, 4))])
        incoming = self.c.request("callHierarchy/incomingCalls", {"item": items[0]})
        got = sorted((c["from"]["name"], [(r["start"]["line"], r["start"]["character"])
                                          for r in c["fromRanges"]]) for c in incoming)
        # Not the comment, the literal or the #if 0 body.
        self.assertEqual(got, [
            ("emoji_func", [(3, self.col("sub/util.c", 3, "tasu"))]),
            ("hiku", [(11, self.col("calc.c", 11, "tasu"))]),
            ("keisan", [(6, self.col("main.c", 6, "tasu")), (6, self.col("main.c", 6, "tasu", 1))]),
            ("named_func", [(3, self.col("sub dir/名前 %#.c", 3, "tasu"))]),
        ])
        keisan = self.c.request("textDocument/prepareCallHierarchy", self.at("main.c", 4, 5))[0]
        out = self.c.request("callHierarchy/outgoingCalls", {"item": keisan})
        self.assertEqual([(o["to"]["name"], len(o["fromRanges"])) for o in out],
                         [("tasu", 2), ("hiku", 1)])
        saiki = self.c.request("textDocument/prepareCallHierarchy", self.at("main.c", 19, 5))[0]
        callers = self.c.request("callHierarchy/incomingCalls", {"item": saiki})
        self.assertEqual([(c["from"]["name"], c["fromRanges"][0]["start"]) for c in callers],
                         [("saiki", pos(21, self.col("main.c", 21, "saiki")))])

    def test_references_leave_out_comments_literals_and_false_branches(self):
        params = self.at("calc.c", 3, 5)
        params["context"] = {"includeDeclaration": False}
        got = sorted(self.where(r) for r in self.c.request("textDocument/references", params))
        expected = [(self.e.path("calc.c"), 11, self.col("calc.c", 11, "tasu")),
                    (self.e.path("main.c"), 6, self.col("main.c", 6, "tasu")),
                    (self.e.path("main.c"), 6, self.col("main.c", 6, "tasu", 1)),
                    (self.e.path("shared.h"), 6, 4),
                    (self.e.path("sub dir/名前 %#.c"), 3, self.col("sub dir/名前 %#.c", 3, "tasu")),
                    (self.e.path("sub/util.c"), 3, self.col("sub/util.c", 3, "tasu"))]
        self.assertEqual(got, sorted(expected))
        params["context"]["includeDeclaration"] = True
        got = sorted(self.where(r) for r in self.c.request("textDocument/references", params))
        self.assertEqual(got, sorted(expected + [(self.e.path("calc.c"), 3, 4)]))

    def test_save_and_delete_are_analysed_again(self):
        calc = self.e.path("calc.c")
        text = lsp_fixture.text_of("calc.c") + "/* 関数名：掛け算 */\nint kakeru(int a)\n{\n\treturn tasu(a, a);\n}\n"
        self.c.notify("textDocument/didOpen", {"textDocument": {
            "uri": uri(calc), "languageId": "c", "version": 1, "text": "ignored"}})
        with open(calc, "wb") as f:
            f.write(text.encode("euc_jp"))
        self.c.notify("textDocument/didSave", {"textDocument": {"uri": uri(calc)}})
        got = self.c.request("workspace/symbol", {"query": "kakeru"})
        self.assertEqual([(s["name"], self.where(s["location"])) for s in got],
                         [("kakeru", (calc, 14, 4))])
        hover = self.c.request("textDocument/hover", self.at("calc.c", 14, 5))["contents"]["value"]
        self.assertIn("掛け算", hover)
        # The old rows are gone, not doubled; the callers index knows the new caller.
        self.assertEqual(len(self.c.request("workspace/symbol", {"query": "hiku"})), 1)
        tasu = self.c.request("textDocument/prepareCallHierarchy", self.at("calc.c", 3, 5))[0]
        names = [c["from"]["name"] for c in self.c.request("callHierarchy/incomingCalls", {"item": tasu})]
        self.assertIn("kakeru", names)
        # An added file, then the file deleted.
        added = self.e.path("sub/new.c")
        with open(added, "w") as f:
            f.write("int brand_new(void)\n{\n\treturn 0;\n}\n")
        self.c.notify("workspace/didChangeWatchedFiles", {"changes": [{"uri": uri(added), "type": 1}]})
        self.assertEqual(len(self.c.request("workspace/symbol", {"query": "brand_new"})), 1)
        os.remove(added)
        self.c.notify("workspace/didChangeWatchedFiles", {"changes": [{"uri": uri(added), "type": 3}]})
        self.assertEqual(self.c.request("workspace/symbol", {"query": "brand_new"}), [])


if __name__ == "__main__":
    CLI = sys.argv.pop(1)
    unittest.main()
