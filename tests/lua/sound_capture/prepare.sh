cp "$FIXTURES/sound/tone_44100_s16.wav" tone.wav
