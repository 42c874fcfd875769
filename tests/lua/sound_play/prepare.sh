cp "$FIXTURES/sound/tone_22050_m8.wav" tone.wav
cp "$FIXTURES/sound/plain_1500ms.ogg" music.ogg
