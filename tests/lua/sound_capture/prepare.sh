# The tone is packed into an archive (sounds are stored as they are): the
# capture shows a member played from the archive, whole.
set -e
mkdir -p pack/Sound
cp "$FIXTURES/sound/tone_44100_s16.wav" pack/Sound/tone.wav
"$QAR" pack pack -o 00.qar
rm -rf pack
