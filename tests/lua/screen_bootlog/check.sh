# The boot log: CP932 text with CR LF line ends, byte for byte as expected.txt.
set -e
test -f qordxbootlog.txt
# every line ends in CR LF
if [ "$(tr -cd '\n' < qordxbootlog.txt | wc -c)" != "$(grep -c $'\r$' qordxbootlog.txt)" ]; then
  echo "a line does not end in CR LF"; exit 1
fi
iconv -f CP932 -t UTF-8 qordxbootlog.txt | tr -d '\r' > bootlog.utf8
diff -u expected.txt bootlog.utf8
# and the CP932 bytes themselves: the expected text converted back
iconv -f UTF-8 -t CP932 expected.txt | sed 's/$/\r/' | cmp - qordxbootlog.txt
