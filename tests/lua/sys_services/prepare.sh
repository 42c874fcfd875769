# A tree with mixed case and nested folders, and a file with a known time.
mkdir -p tree/Sub/deeper tree/alpha
echo hi > tree/b.txt; echo x > tree/A.txt; echo y > tree/c.TXT
echo z > tree/Sub/Z.dat; echo w > tree/Sub/deeper/w; echo v > tree/alpha/v
printf 12345 > sized.bin
ln -s .. tree/Sub/up   # a link back up to tree: not entered again
touch -d '2021-03-04 05:06:07' stamped.txt
