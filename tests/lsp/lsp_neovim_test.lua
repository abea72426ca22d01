-- Neovim (headless) as the language server's client: definition, hover and incoming/outgoing
-- calls on the fixture tree, checking where the cursor lands and what the hover shows.
-- Environment: KELVORA_CLI (the program), LSP_ROOT (the fixture tree), LSP_OUT (the report).
local cli, root, out = os.getenv("KELVORA_CLI"), os.getenv("LSP_ROOT"), os.getenv("LSP_OUT")
vim.o.fileencodings = "ucs-bom,utf-8,euc-jp,cp932"
vim.o.swapfile = false
vim.o.hidden = true

local failures = {}
local function check(ok, what)
  if not ok then table.insert(failures, what) end
end

local client_id = vim.lsp.start_client({
  cmd = { cli, "lsp" },
  root_dir = root,
  name = "kelvora",
})

-- Every buffer the test opens or a jump opens talks to the server.
vim.api.nvim_create_autocmd("BufEnter", {
  callback = function(args) vim.lsp.buf_attach_client(args.buf, client_id) end,
})
local function open(rel)
  vim.cmd("edit " .. vim.fn.fnameescape(root .. "/" .. rel))
end

-- Puts the cursor on the nth occurrence of word on a 1-based line (byte columns of the buffer).
local function cursor_on(line, word, nth)
  local text = vim.fn.getline(line)
  local at = 0
  for _ = 1, nth or 1 do at = text:find(word, at + 1, true) end
  vim.api.nvim_win_set_cursor(0, { line, at - 1 })
end

local function col_of(line, word)
  return vim.fn.getline(line):find(word, 1, true) - 1
end

open("main.c")
check(vim.bo.fileencoding == "cp932", "main.c read as " .. vim.bo.fileencoding)
vim.wait(30000, function()
  local c = vim.lsp.get_client_by_id(client_id)
  return c ~= nil and c.server_capabilities ~= nil and next(c.server_capabilities) ~= nil
end, 20)
-- Ready: the analysis answers a symbol request.
local ready = vim.wait(60000, function()
  local r = vim.lsp.buf_request_sync(0, "workspace/symbol", { query = "tasu" }, 2000)
  return r and r[client_id] and r[client_id].result and #r[client_id].result > 0
end, 200)
check(ready, "no answer to workspace/symbol")

-- Definition: from a Shift-JIS line with Japanese before the call to the EUC-JP file.
cursor_on(7, "tasu")
vim.lsp.buf.definition()
vim.wait(10000, function() return vim.api.nvim_buf_get_name(0):match("calc%.c$") ~= nil end, 20)
check(vim.api.nvim_buf_get_name(0) == root .. "/calc.c", "definition opened " .. vim.api.nvim_buf_get_name(0))
check(vim.bo.fileencoding == "euc-jp", "calc.c read as " .. vim.bo.fileencoding)
local pos = vim.api.nvim_win_get_cursor(0)
check(pos[1] == 4 and pos[2] == col_of(4, "tasu"), "definition landed at " .. vim.inspect(pos))

-- Back in the EUC-JP file: the call after a Japanese comment goes to the definition line.
cursor_on(12, "tasu")
vim.lsp.buf.definition()
vim.wait(10000, function() return vim.api.nvim_win_get_cursor(0)[1] == 4 end, 20)
pos = vim.api.nvim_win_get_cursor(0)
check(pos[1] == 4 and pos[2] == col_of(4, "tasu"), "second definition landed at " .. vim.inspect(pos))

-- Hover: the comment and the line as written, in UTF-8.
open("main.c")
cursor_on(10, "hiku")
local hover = vim.lsp.buf_request_sync(0, "textDocument/hover",
  vim.lsp.util.make_position_params(), 10000)
local text = hover and hover[client_id] and hover[client_id].result and
  hover[client_id].result.contents.value or ""
check(text:find("引き算", 1, true) ~= nil, "hover without the comment: " .. text)
check(text:find("int hiku(int a, int b)", 1, true) ~= nil, "hover without the line: " .. text)
check(text:find("総ステップ数", 1, true) ~= nil, "hover without the steps: " .. text)
-- The hover's range covers the word under the cursor, in the buffer's columns.
local range = hover[client_id].result.range
local line_text = vim.fn.getline(10)
local byte = vim.lsp.util._str_byteindex_enc(line_text, range.start.character, "utf-16")
check(line_text:sub(byte + 1, byte + 4) == "hiku", "hover range at " .. vim.inspect(range))

-- On a line with Japanese before the word, the range still lands on it.
cursor_on(7, "tasu", 2)
hover = vim.lsp.buf_request_sync(0, "textDocument/hover", vim.lsp.util.make_position_params(), 10000)
range = hover[client_id].result.range
line_text = vim.fn.getline(7)
byte = vim.lsp.util._str_byteindex_enc(line_text, range.start.character, "utf-16")
check(byte == vim.api.nvim_win_get_cursor(0)[2] and line_text:sub(byte + 1, byte + 4) == "tasu",
  "hover range on the Japanese line at " .. vim.inspect(range))
check(hover[client_id].result.contents.value:find("二つの数を足す", 1, true) ~= nil, "tasu hover")
cursor_on(10, "hiku")

-- The same hover in a floating window, as the user sees it.
vim.lsp.buf.hover()
local float_text = ""
vim.wait(10000, function()
  for _, w in ipairs(vim.api.nvim_list_wins()) do
    if vim.api.nvim_win_get_config(w).relative ~= "" then
      float_text = table.concat(vim.api.nvim_buf_get_lines(vim.api.nvim_win_get_buf(w), 0, -1, false), "\n")
      return true
    end
  end
  return false
end, 20)
check(float_text:find("引き算", 1, true) ~= nil, "hover window shows: " .. float_text)
vim.cmd("silent! only")

-- Incoming calls of tasu (quickfix list): keisan twice, hiku, named_func, emoji_func.
-- Items as file:line:name (Neovim 0.7 names the file of the "to" item beside the caller's lines
-- for outgoing calls, so those are compared without the file).
local function quickfix_after(fn, with_file)
  vim.fn.setqflist({}, "r")
  fn()
  vim.wait(10000, function() return #vim.fn.getqflist() > 0 end, 20)
  local got = {}
  for _, item in ipairs(vim.fn.getqflist()) do
    local file = with_file and vim.fn.fnamemodify(vim.fn.bufname(item.bufnr), ":t") .. ":" or ""
    table.insert(got, file .. item.lnum .. ":" .. item.text)
  end
  table.sort(got)
  vim.cmd("silent! cclose")
  return table.concat(got, ",")
end
open("calc.c")
cursor_on(4, "tasu")
local incoming = quickfix_after(vim.lsp.buf.incoming_calls, true)
check(incoming == "calc.c:12:hiku,main.c:7:keisan,main.c:7:keisan,util.c:4:emoji_func,名前 %#.c:4:named_func",
  "incoming calls: " .. incoming)
open("main.c")
cursor_on(5, "keisan")
local outgoing = quickfix_after(vim.lsp.buf.outgoing_calls, false)
check(outgoing == "10:hiku,7:tasu,7:tasu", "outgoing calls: " .. outgoing)

local f = io.open(out, "w")
f:write(#failures == 0 and "OK\n" or table.concat(failures, "\n") .. "\n")
f:close()
vim.lsp.stop_client(client_id)
vim.wait(2000, function() return vim.lsp.get_client_by_id(client_id) == nil end, 50)
vim.cmd("qall!")
